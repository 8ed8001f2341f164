// The export run from the window's button: the running count in its caption, the cursor, the
// completion message, the error box, and a close asked for while a run goes on.
#include "AppTitle.h"
#include "DatePicker.h"
#include "UOrvek.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// A box the window asked to show, with what surrounded it at that moment.
struct ShownBox {
    MessageBoxRequest box;
    bool centredOnTheScreen; // no parent window
    Qt::CursorShape cursor;
};

Qt::CursorShape overrideShape() {
    return QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                          : Qt::BitmapCursor; // none: each control's own
}

MessageBoxRequest completion() {
    return {QMessageBox::NoIcon, applicationTitle(),
            QStringLiteral("Processo realizado com sucesso.")};
}

} // namespace

class ExportRunWindowTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void countsInTheCaptionAndReportsSuccess();
    void failedRunTidiesUpThenShowsTheErrorBox();
    void closeDuringARunWaitsForItsEnd();
    void pressDuringARunStartsNoSecondRun();

private:
    // Three reductions, with five items the analytic pass selects; one register number may be
    // broken.
    void fillMarch(const QString& thirdRegister = QStringLiteral("3"));
    void showWindow();
    void press() { QTest::mouseClick(m_window->BBExecutar, Qt::LeftButton); }
    qsizetype rows(const QString& table) {
        return qsizetype(m_data->rows(QStringLiteral("SELECT * FROM ") + table).size());
    }

    std::unique_ptr<TestDatabase> m_data;
    QTemporaryDir m_workDir;
    QString m_previousDir;
    QList<ShownBox> m_boxes;
    std::unique_ptr<TFOrvek> m_window;
};

void ExportRunWindowTest::init() {
    // Its own connection name, so that the window's Confeccao is the one the run uses.
    m_data = std::make_unique<TestDatabase>(TestBackend::Sqlite, QStringLiteral("Preparo"));
    QFile ini(m_workDir.filePath(QStringLiteral("Vendrake.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(("[BDados]\r\nTipo=" + m_data->settings().tipo +
               "\r\nCaminho=" + m_data->settings().caminho + "\r\n")
                  .toUtf8());
    ini.close();
    m_previousDir = QDir::currentPath();
    QDir::setCurrent(m_workDir.path());
    m_boxes.clear();
}

void ExportRunWindowTest::cleanup() {
    m_window.reset();
    m_data.reset();
    QDir::setCurrent(m_previousDir);
    QApplication::restoreOverrideCursor();
}

void ExportRunWindowTest::fillMarch(const QString& thirdRegister) {
    const QStringList serials = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    const QStringList registers = {QStringLiteral("1"), QStringLiteral("2"), thirdRegister};
    for (int i = 0; i < 3; ++i) {
        QVERIFY(m_data->exec(
            QStringLiteral("INSERT INTO BR_REDUCAOZ VALUES ('2024-03-0%1', '%2', '%3', 1, 9, 'M')")
                .arg(i + 1)
                .arg(serials[i], registers[i])));
    }
    QVERIFY(m_data->exec(
        {"INSERT INTO BR_ITENS_RZ VALUES ('2024-03-01', 'A', 'ICMS 18,00%', '18,00', '1,00')",
         "INSERT INTO BR_ITENS_RZ VALUES ('2024-03-01', 'A', 'ISENTO ICMS', 'I', '2,00')",
         "INSERT INTO BR_ITENS_RZ VALUES ('2024-03-02', 'B', '4. DESCONTO ICMS', '', '3,00')",
         "INSERT INTO BR_ITENS_RZ VALUES ('2024-03-03', 'C', 'ICMS 7,00%', '7,00', '4,00')",
         "INSERT INTO BR_ITENS_RZ VALUES ('2024-03-03', 'C', 'ICMS 12,00%', '12,00', '5,00')"}));
}

void ExportRunWindowTest::showWindow() {
    TFOrvekEnvironment environment;
    environment.today = [] { return QDate(2024, 3, 31); };
    environment.showMessageBox = [this](QWidget* parent, const MessageBoxRequest& box) {
        m_boxes.append({box, parent == nullptr, overrideShape()});
    };
    m_window = std::make_unique<TFOrvek>(environment);
    m_window->DTPInicio->setDate(QDate(2024, 3, 1));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(m_boxes.size(), 0); // the connection opened
}

void ExportRunWindowTest::countsInTheCaptionAndReportsSuccess() {
    fillMarch();
    showWindow();
    press();
    QCOMPARE(m_window->BBExecutar->text(), QStringLiteral("Executar processo (8)"));
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].box.icon, completion().icon);
    QCOMPARE(m_boxes[0].box.caption, completion().caption);
    QCOMPARE(m_boxes[0].box.text, completion().text);
    QVERIFY(m_boxes[0].centredOnTheScreen);
    QCOMPARE(m_boxes[0].cursor, Qt::ArrowCursor);
    QCOMPARE(overrideShape(), Qt::ArrowCursor);
    QCOMPARE(rows(QStringLiteral("OrvekMestre")), 3);
    QCOMPARE(rows(QStringLiteral("OrvekAnalitico")), 5);

    // Nothing new: the caption keeps the last run's count, and the run still reports success.
    press();
    QCOMPARE(m_window->BBExecutar->text(), QStringLiteral("Executar processo (8)"));
    QCOMPARE(m_boxes.size(), 2);
    QCOMPARE(m_boxes[1].box.text, completion().text);
    QCOMPARE(rows(QStringLiteral("OrvekMestre")), 3);
}

void ExportRunWindowTest::failedRunTidiesUpThenShowsTheErrorBox() {
    fillMarch(QStringLiteral("3x"));
    showWindow();
    press();
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].box.icon, QMessageBox::Critical);
    QCOMPARE(m_boxes[0].box.caption, applicationTitle());
    QCOMPARE(m_boxes[0].box.text, QStringLiteral("'3x' is not a valid integer value."));
    QCOMPARE(m_boxes[0].cursor, Qt::ArrowCursor);
    // The caption shows the rows handled before the failure, and those rows stay.
    const qsizetype written = rows(QStringLiteral("OrvekMestre"));
    QCOMPARE(m_window->BBExecutar->text(),
             written == 0 ? QStringLiteral("Executar processo")
                          : QStringLiteral("Executar processo (%1)").arg(written));
    QCOMPARE(rows(QStringLiteral("OrvekAnalitico")), 0);

    // The window goes on working: once the data is mended, the next run does the rest.
    QVERIFY(m_data->exec("UPDATE BR_REDUCAOZ SET N_CAIXA = '3' WHERE SERIAL = 'C'"));
    press();
    QCOMPARE(m_boxes.size(), 2);
    QCOMPARE(m_boxes[1].box.text, completion().text);
    QCOMPARE(rows(QStringLiteral("OrvekMestre")), 3);
    QCOMPARE(rows(QStringLiteral("OrvekAnalitico")), 5);
}

void ExportRunWindowTest::closeDuringARunWaitsForItsEnd() {
    fillMarch();
    showWindow();
    // Delivered while the run answers the window system, as the frame's close button would be:
    // the first time it does so is right after the first row.
    QString captionWhenClosed;
    bool openAfterClose = false;
    QTimer::singleShot(0, m_window.get(), [&] {
        captionWhenClosed = m_window->BBExecutar->text();
        m_window->close();
        openAfterClose = m_window->isVisible();
    });
    press();
    QCOMPARE(captionWhenClosed, QStringLiteral("Executar processo (1)"));
    QVERIFY(openAfterClose);
    QCOMPARE(rows(QStringLiteral("OrvekMestre")), 3);
    QCOMPARE(rows(QStringLiteral("OrvekAnalitico")), 5);
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].box.text, completion().text);
    // Closed once the run has ended.
    QVERIFY(!m_window->isVisible());
}

void ExportRunWindowTest::pressDuringARunStartsNoSecondRun() {
    fillMarch();
    showWindow();
    // A press that reaches the button while the run answers the window system must not start a
    // run inside the run: the rows would be counted twice and the source queries reopened.
    QString captionAfterPress;
    QTimer::singleShot(0, m_window.get(), [&] {
        press();
        captionAfterPress = m_window->BBExecutar->text();
    });
    press();
    QCOMPARE(captionAfterPress, QStringLiteral("Executar processo (1)"));
    QCOMPARE(m_window->BBExecutar->text(), QStringLiteral("Executar processo (8)"));
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].box.text, completion().text);
    QCOMPARE(rows(QStringLiteral("OrvekMestre")), 3);
    QCOMPARE(rows(QStringLiteral("OrvekAnalitico")), 5);
}

// The run writes by the host's regional settings, and the data here is Brazilian: the host is
// made Brazilian before anything reads its locale. LC_* would win over LANG.
int main(int argc, char* argv[]) {
    for (const char* name : {"LC_ALL", "LC_TIME", "LC_NUMERIC"})
        qunsetenv(name);
    qputenv("LANG", "pt_BR.UTF-8");
    QApplication application(argc, argv);
    ExportRunWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "export_run_window_test.moc"
