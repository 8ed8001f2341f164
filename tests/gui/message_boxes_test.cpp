// The title rule and the error box's full stop.
#include "AppTitle.h"
#include "MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

class MessageBoxesTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void titleFromProgramPath_data();
    void titleFromProgramPath();
    void withFullStop_data();
    void withFullStop();
    void errorBox();
    void execMessageBoxShowsOneOkButton();
};

void MessageBoxesTest::titleFromProgramPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("the program file") << "/usr/local/bin/Orvek"
                                      << "Orvek";
    QTest::newRow("upper case with extension") << "/opt/loja/ORVEK.EXE"
                                               << "Orvek";
    QTest::newRow("cut at the first dot") << "/opt/loja/orvek.tar.gz"
                                          << "orvek";
    QTest::newRow("first character unchanged") << "oRVEK"
                                               << "orvek";
    QTest::newRow("dot in a folder name") << "/home/a.b/Orvek"
                                          << "Orvek";
    QTest::newRow("name starting with a dot") << "/opt/.Orvek"
                                              << "";
    QTest::newRow("accented letters")
        << QStringLiteral("/opt/\u00c1GUA") << QStringLiteral("\u00c1gua");
    QTest::newRow("empty") << ""
                           << "";
}

void MessageBoxesTest::titleFromProgramPath() {
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(::titleFromProgramPath(path), title);
}

void MessageBoxesTest::withFullStop_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Falhou"
                            << "Falhou.";
    QTest::newRow("digit") << "Erro 42"
                           << "Erro 42.";
    QTest::newRow("colon") << "Caminho:"
                           << "Caminho:.";
    QTest::newRow("question mark") << "Continuar?"
                                   << "Continuar?.";
    QTest::newRow("slash, just above the full stop") << "C:/"
                                                     << "C:/.";
    QTest::newRow("accented letter")
        << QStringLiteral("Aten\u00e7\u00e3o") << QStringLiteral("Aten\u00e7\u00e3o.");
    QTest::newRow("full stop") << "Fim."
                               << "Fim.";
    QTest::newRow("closing parenthesis") << "Falhou (3)"
                                         << "Falhou (3)";
    QTest::newRow("comma") << "a,"
                           << "a,";
    QTest::newRow("exclamation mark") << "Pare!"
                                      << "Pare!";
    QTest::newRow("blank") << "Texto "
                           << "Texto ";
    QTest::newRow("hyphen, just below the full stop") << "a-"
                                                      << "a-";
    QTest::newRow("line break") << "a\n"
                                << "a\n";
    QTest::newRow("empty") << ""
                           << "";
}

void MessageBoxesTest::withFullStop() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(::withFullStop(message), shown);
}

void MessageBoxesTest::errorBox() {
    const MessageBoxRequest box = ::errorBox(QStringLiteral("Banco fechado"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    // This program's own file, message_boxes_test, gives the caption.
    QCOMPARE(box.caption, QStringLiteral("message_boxes_test"));
    QCOMPARE(box.text, QStringLiteral("Banco fechado."));
}

void MessageBoxesTest::execMessageBoxShowsOneOkButton() {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
    QList<QAbstractButton*> buttons;
    // Reads the box while it is up, then presses its button.
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        icon = box->icon();
        caption = box->windowTitle();
        text = box->text();
        buttons = box->buttons();
        QTest::keyClick(box, Qt::Key_Return);
    });
    execMessageBox(nullptr, ::errorBox(QStringLiteral("Falhou")));

    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(caption, QStringLiteral("message_boxes_test"));
    QCOMPARE(text, QStringLiteral("Falhou."));
    QCOMPARE(buttons.size(), 1);
}

QTEST_MAIN(MessageBoxesTest)
#include "message_boxes_test.moc"
