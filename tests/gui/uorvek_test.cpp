// The main window: its parts, keys, placement and start-up with a working and a failing
// connection.
#include "Artwork.h"
#include "DatePicker.h"
#include "UOrvek.h"
#include "db/Database.h"
#include "db/Query.h"
#include "db/RuntimeError.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QDate kStoredDate(2006, 3, 19);
const QDate kToday(2024, 2, 29);

// A working directory whose Vendrake.ini points the Standard profile at caminho, current for the
// life of the object.
class WorkDir final {
public:
    explicit WorkDir(const QString& caminho) {
        QFile ini(m_dir.filePath(QStringLiteral("Vendrake.ini")));
        if (!ini.open(QIODevice::WriteOnly))
            qFatal("cannot write Vendrake.ini");
        ini.write("[BDados]\r\nTipo=Standard\r\nCaminho=" + caminho.toUtf8() + "\r\n");
        ini.close();
        QDir::setCurrent(m_dir.path());
    }
    ~WorkDir() { QDir::setCurrent(m_previous); }

private:
    QTemporaryDir m_dir;
    QString m_previous = QDir::currentPath();
};

// The boxes the window asked to show, instead of showing them.
struct BoxRecorder {
    QList<MessageBoxRequest> boxes;

    TFOrvekEnvironment environment() {
        return {[] { return kToday; },
                [this](QWidget*, const MessageBoxRequest& box) { boxes.append(box); }};
    }
};

void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

} // namespace

class TFOrvekTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void parts_data();
    void parts();
    void windowSettings();
    void centredWhateverItsStoredPosition_data();
    void centredWhateverItsStoredPosition();
    void enterMovesTheFocus_data();
    void enterMovesTheFocus();
    void otherKeysReachThePicker();
    void calendarDropsDownAtTheLeftEdge();
    void buttonPicture();
    void todayAfterStart();
    void failedConnectionKeepsTheStoredDates();

private:
    // Builds and shows the window, with the keyboard in it.
    void showWindow();

    QTemporaryDir m_data; // holds the Confeccao.db that the Standard profile opens
    std::unique_ptr<WorkDir> m_workDir;
    BoxRecorder m_recorder;
    std::unique_ptr<TFOrvek> m_window;
};

void TFOrvekTest::initTestCase() {
    QVERIFY(m_data.isValid());
    // An empty file is an empty SQLite database.
    QFile database(m_data.filePath(QStringLiteral("Confeccao.db")));
    QVERIFY(database.open(QIODevice::WriteOnly));
}

void TFOrvekTest::init() {
    m_recorder.boxes.clear();
    m_workDir = std::make_unique<WorkDir>(m_data.path());
}

void TFOrvekTest::cleanup() {
    m_window.reset();
    m_workDir.reset();
}

void TFOrvekTest::showWindow() {
    m_window = std::make_unique<TFOrvek>(m_recorder.environment());
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TFOrvekTest::parts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("tabIndex"); // -1: not a tab stop
    QTest::newRow("Label1") << "Label1"
                            << "QLabel" << QRect(8, 4, 27, 13) << "Inicial" << -1;
    QTest::newRow("Label2") << "Label2"
                            << "QLabel" << QRect(106, 4, 22, 13) << "Final" << -1;
    QTest::newRow("DTPInicio") << "DTPInicio"
                               << "DatePicker" << QRect(8, 20, 88, 21) << "" << 0;
    QTest::newRow("DTPFinal") << "DTPFinal"
                              << "DatePicker" << QRect(106, 20, 88, 21) << "" << 1;
    QTest::newRow("BBExecutar") << "BBExecutar"
                                << "QPushButton" << QRect(8, 53, 186, 22) << "Executar processo"
                                << 2;
    QTest::newRow("Database1") << "Database1"
                               << "TDatabase" << QRect() << "" << -1;
    QTest::newRow("QOrvekMestre") << "QOrvekMestre"
                                  << "TQuery" << QRect() << "" << -1;
    QTest::newRow("QOrvekAnalitico") << "QOrvekAnalitico"
                                     << "TQuery" << QRect() << "" << -1;
    QTest::newRow("ContarRegistro") << "ContarRegistro"
                                    << "TContarRegistro" << QRect() << "" << -1;
}

void TFOrvekTest::parts() {
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(int, tabIndex);
    showWindow();
    // The user's resizing moves nothing.
    m_window->resize(400, 300);

    const auto* part = m_window->findChild<QObject*>(name);
    QVERIFY(part);
    QCOMPARE(part->parent(), m_window.get());
    QCOMPARE(QString::fromLatin1(part->metaObject()->className()), className);
    if (const auto* label = qobject_cast<const QLabel*>(part)) {
        QCOMPARE(label->text(), text);
        // A label keeps its place and height, and widens only when the font needs it.
        QCOMPARE(label->pos(), geometry.topLeft());
        QCOMPARE(label->height(), geometry.height());
        QVERIFY(label->width() >= geometry.width());
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(text));
    } else if (const auto* widget = qobject_cast<const QWidget*>(part)) {
        QCOMPARE(widget->geometry(), geometry);
        if (const auto* button = qobject_cast<const QPushButton*>(part))
            QCOMPARE(button->text(), text);
    }
    if (tabIndex >= 0) {
        // Tab goes round the three tab stops and Shift+Tab back; the pickers do not keep it
        // for their day, month and year.
        m_window->DTPInicio->setFocus();
        for (int i = 0; i < tabIndex; ++i)
            pressKey(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), part);
        for (int i = tabIndex; i < 3; ++i)
            pressKey(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), m_window->DTPInicio);
        for (int i = 0; i < 3 - tabIndex; ++i)
            pressKey(Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), part);
    } else if (const auto* widget = qobject_cast<const QWidget*>(part)) {
        QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
    }
    if (const auto* query = qobject_cast<const TQuery*>(part))
        QCOMPARE(query->databaseName(), QStringLiteral("Confeccao"));
    if (const auto* database = qobject_cast<const TDatabase*>(part)) {
        QCOMPARE(database->databaseName(), QStringLiteral("Confeccao"));
        QCOMPARE(database->driverName(), QStringLiteral("STANDARD"));
        QVERIFY(!database->loginPrompt());
    }
}

void TFOrvekTest::windowSettings() {
    showWindow();
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Orvek   v5"));
    QCOMPARE(m_window->frameGeometry().size(), QSize(219, 125));
    QVERIFY(!m_window->layout());
    QCOMPARE(m_window->font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(m_window->font().pixelSize(), 11);
    QCOMPARE(m_window->palette().color(QPalette::Window),
             m_window->palette().color(QPalette::Button));
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(flags.testFlags(Qt::WindowMinMaxButtonsHint | Qt::WindowSystemMenuHint));
    QCOMPARE(m_window->DTPInicio->calendarPopup(), true);
    QCOMPARE(m_window->DTPInicio->displayFormat(),
             QLocale::system().dateFormat(QLocale::ShortFormat));
}

void TFOrvekTest::centredWhateverItsStoredPosition_data() {
    QTest::addColumn<QPoint>("storedPosition");
    QTest::newRow("top left") << QPoint(0, 0);
    QTest::newRow("lower right") << QPoint(500, 400);
    QTest::newRow("off the screen") << QPoint(-300, 2000);
}

void TFOrvekTest::centredWhateverItsStoredPosition() {
    QFETCH(QPoint, storedPosition);
    m_window = std::make_unique<TFOrvek>(m_recorder.environment());
    m_window->move(storedPosition);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

    const QRect screen = m_window->screen()->geometry();
    const QPoint centred(screen.x() + (screen.width() - 219) / 2,
                         screen.y() + (screen.height() - 125) / 2);
    QCOMPARE(m_window->frameGeometry(), QRect(centred, QSize(219, 125)));
}

void TFOrvekTest::enterMovesTheFocus_data() {
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("Return") << Qt::Key_Return;
    QTest::newRow("Enter on the keypad") << Qt::Key_Enter;
}

void TFOrvekTest::enterMovesTheFocus() {
    QFETCH(Qt::Key, key);
    showWindow();
    QSignalSpy pressed(m_window->BBExecutar, &QPushButton::clicked);
    m_window->DTPInicio->setFocus();

    pressKey(key);
    QCOMPARE(QApplication::focusWidget(), m_window->DTPFinal);
    pressKey(key);
    QCOMPARE(QApplication::focusWidget(), m_window->BBExecutar);
    QCOMPARE(pressed.count(), 0);
    pressKey(key);
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(m_window->DTPInicio->date(), kToday);
    QCOMPARE(m_window->DTPFinal->date(), kToday);
}

void TFOrvekTest::otherKeysReachThePicker() {
    showWindow();
    m_window->DTPInicio->setFocus();
    m_window->DTPInicio->setCurrentSection(QDateTimeEdit::DaySection);
    pressKey(Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), m_window->DTPInicio);
    QCOMPARE(m_window->DTPInicio->date(), kToday.addDays(-1));
}

void TFOrvekTest::calendarDropsDownAtTheLeftEdge() {
    showWindow();
    // A click on the arrow at the right end drops the calendar down.
    QTest::mouseClick(m_window->DTPFinal, Qt::LeftButton, {},
                      QPoint(m_window->DTPFinal->width() - 5, m_window->DTPFinal->height() / 2));
    QWidget* popup = m_window->DTPFinal->calendarWidget()->window();
    QVERIFY(QTest::qWaitForWindowExposed(popup));
    // The offscreen platform shifts a popup by its 2-pixel frame margin; a calendar aligned
    // with the right edge would start some 130 pixels further left.
    const QPoint fieldBottomLeft =
        m_window->DTPFinal->mapToGlobal(m_window->DTPFinal->rect().bottomLeft());
    const QPoint offset = popup->geometry().topLeft() - fieldBottomLeft;
    QVERIFY2(offset.manhattanLength() <= 4,
             qPrintable(QStringLiteral("popup offset %1,%2").arg(offset.x()).arg(offset.y())));
}

void TFOrvekTest::buttonPicture() {
    showWindow();
    const QImage glyphs(QStringLiteral(":/orvek/Executar.bmp"));
    QCOMPARE(glyphs.size(), QSize(36, 18));
    QCOMPARE(glyphs.colorCount(), 16);
    const QRgb background = glyphs.pixel(0, 17);

    const QIcon icon = m_window->BBExecutar->icon();
    QCOMPARE(m_window->BBExecutar->iconSize(), QSize(18, 18));
    const std::pair<QIcon::Mode, int> halves[] = {{QIcon::Normal, 0}, {QIcon::Disabled, 18}};
    for (const auto& [mode, left] : halves) {
        const QImage shown =
            icon.pixmap(QSize(18, 18), mode).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(shown.size(), QSize(18, 18));
        int drawn = 0;
        for (int y = 0; y < 18; ++y) {
            for (int x = 0; x < 18; ++x) {
                const QRgb source = glyphs.pixel(left + x, y);
                if (source == background) {
                    QCOMPARE(qAlpha(shown.pixel(x, y)), 0);
                } else {
                    QCOMPARE(shown.pixel(x, y), source);
                    ++drawn;
                }
            }
        }
        QVERIFY2(drawn > 20, "the picture has a check mark");
    }

    const QIcon application = applicationIcon();
    QVERIFY(application.availableSizes().contains(QSize(32, 32)));
}

void TFOrvekTest::todayAfterStart() {
    showWindow();
    QCOMPARE(m_recorder.boxes.size(), 0);
    QVERIFY(m_window->Database1->connected());
    QCOMPARE(m_window->DTPInicio->date(), kToday);
    QCOMPARE(m_window->DTPFinal->date(), kToday);
}

void TFOrvekTest::failedConnectionKeepsTheStoredDates() {
    const QString missing = m_data.filePath(QStringLiteral("nao-existe"));
    m_workDir.reset(); // it puts the earlier working directory back
    m_workDir = std::make_unique<WorkDir>(missing);
    // The engine's own message, from the same configuration.
    QString engineMessage;
    {
        TDatabase probe;
        probe.setDriverName(QStringLiteral("STANDARD"));
        probe.params() << QStringLiteral("PATH=") + missing;
        try {
            probe.open();
        } catch (const RuntimeError& error) {
            engineMessage = error.message();
        }
    }
    QVERIFY(!engineMessage.isEmpty());

    showWindow();
    QCOMPARE(m_recorder.boxes.size(), 1);
    const MessageBoxRequest box = m_recorder.boxes.front();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.caption, QStringLiteral("uorvek_test"));
    QCOMPARE(box.text, withFullStop(engineMessage));

    QCOMPARE(m_window->DTPInicio->date(), kStoredDate);
    QCOMPARE(m_window->DTPFinal->date(), kStoredDate);
    QVERIFY(!m_window->Database1->connected());
    QCOMPARE(m_window->Database1->params(),
             QStringList({QStringLiteral("PATH=") + missing, "DEFAULT DRIVER=PARADOX",
                          "ENABLE BCD=FALSE"}));

    // The window goes on working.
    m_window->DTPInicio->setFocus();
    pressKey(Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), m_window->DTPFinal);
}

QTEST_MAIN(TFOrvekTest)
#include "uorvek_test.moc"
