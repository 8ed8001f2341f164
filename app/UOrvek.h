// The program's one window: two dates bounding an export run, the button that starts it, and the
// connection and components the run uses.
#pragma once

#include "MessageBoxes.h"

#include <QDate>
#include <QElapsedTimer>
#include <QWidget>
#include <functional>

class DatePicker;
class QLabel;
class QPushButton;
class TContarRegistro;
class TDatabase;
class TQuery;

// What the window reads from outside itself. Tests replace both.
struct TFOrvekEnvironment {
    // Today's date, read by FormCreate.
    std::function<QDate()> today = [] { return QDate::currentDate(); };
    // Shows every message box of the window.
    MessageBoxPresenter showMessageBox = execMessageBox;
};

class TFOrvek final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFOrvek)

public:
    // Builds the window with its stored settings, then runs FormCreate: reads ./Vendrake.ini,
    // opens Database1 and sets both dates to today. A failure there is shown in the error box and
    // the window is still built, with the stored dates.
    explicit TFOrvek(TFOrvekEnvironment environment = {}, QWidget* parent = nullptr);
    ~TFOrvek() override;

    // The window's parts, under the names they are found by; the window owns them all.
    QLabel* const Label1;
    QLabel* const Label2;
    DatePicker* const DTPInicio;
    DatePicker* const DTPFinal;
    QPushButton* const BBExecutar;
    TDatabase* const Database1;
    TQuery* const QOrvekMestre;
    TQuery* const QOrvekAnalitico;
    TContarRegistro* const ContarRegistro;

public Q_SLOTS:
    // The export run over the two dates.
    void BBExecutarClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // During a run the window stays open until the run has ended.
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    // The export run: wait cursor, both passes with the count in the button's caption, arrow
    // cursor, completion message. Throws what the run throws, after the arrow cursor is back.
    void exportRun();
    // The caption after each row; repaints and answers the window system now and then, so that a
    // long run shows its count and does not look hung, while user input waits for the run's end.
    void showProgress(qint32 contador);
    // Enter (key 13) becomes key 0 and moves the focus to the next tab stop after sender.
    void FormKeyPress(QWidget* sender, QChar& key);

    // Runs a handler; a failure that leaves it is shown in the error box, and the window goes on.
    void runHandler(const std::function<void()>& handler);
    QWidget* nextTabStop(QWidget* after) const;
    QPoint centredFramePosition() const;
    void fitOuterSize();

    TFOrvekEnvironment m_environment;
    // Set when the window is shown, until the frame's size is known and the client area fitted.
    bool m_outerSizePending = false;
    // A run is in progress; a request to close the window meanwhile is kept for its end.
    bool m_running = false;
    bool m_closePending = false;
    // Time since the window was last repainted during a run; invalid before the run's first row.
    QElapsedTimer m_sinceFeedback;
};
