#include "UOrvek.h"

#include "AppTitle.h"
#include "Artwork.h"
#include "DatePicker.h"
#include "components/ContarRegistro.h"
#include "db/ConnectionSettings.h"
#include "db/Database.h"
#include "db/Query.h"
#include "db/RuntimeError.h"
#include "export/AnalyticPass.h"
#include "export/ExportRun.h"
#include "export/MasterPass.h"
#include "export/RegionalSettings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace {

// The outer size includes the frame, as it does on Windows.
constexpr QSize kOuterSize(219, 125);
const QDate kStoredDate(2006, 3, 19);

template <class T>
T* named(T* object, const char* name) {
    object->setObjectName(QLatin1String(name));
    return object;
}

// Often enough for a count that visibly moves and for the desktop to see a live window; seldom
// enough to cost the run nothing worth measuring.
constexpr qint64 kFeedbackIntervalMs = 50;

// The application-wide cursor: the hourglass from the start of a run, then an explicit arrow for
// every window on every way out, not the neutral setting under which each control shows its own.
// One cursor is kept set, replaced rather than stacked, so runs do not pile cursors up.
class RunCursor final {
public:
    RunCursor() { set(Qt::WaitCursor); }
    ~RunCursor() { set(Qt::ArrowCursor); }
    RunCursor(const RunCursor&) = delete;
    RunCursor& operator=(const RunCursor&) = delete;

private:
    static void set(Qt::CursorShape shape) {
        if (QApplication::overrideCursor())
            QApplication::changeOverrideCursor(shape);
        else
            QApplication::setOverrideCursor(shape);
    }
};

// Marks a run in progress for as long as it lasts, however it ends.
class RunningFlag final {
public:
    explicit RunningFlag(bool& running) : m_running(running) { m_running = true; }
    ~RunningFlag() { m_running = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& m_running;
};

} // namespace

TFOrvek::TFOrvek(TFOrvekEnvironment environment, QWidget* parent)
    : QWidget(parent), Label1(named(new QLabel(QStringLiteral("Inicial"), this), "Label1")),
      Label2(named(new QLabel(QStringLiteral("Final"), this), "Label2")),
      DTPInicio(named(new DatePicker(kStoredDate, this), "DTPInicio")),
      DTPFinal(named(new DatePicker(kStoredDate, this), "DTPFinal")),
      BBExecutar(named(new QPushButton(QStringLiteral("Executar processo"), this), "BBExecutar")),
      Database1(named(new TDatabase(this), "Database1")),
      QOrvekMestre(named(new TQuery(this), "QOrvekMestre")),
      QOrvekAnalitico(named(new TQuery(this), "QOrvekAnalitico")),
      ContarRegistro(named(new TContarRegistro(this), "ContarRegistro")),
      m_environment(std::move(environment)) {
    setObjectName(QStringLiteral("FOrvek"));
    setWindowTitle(QStringLiteral("Orvek   v5"));
    resize(kOuterSize);

    // "MS Sans Serif" at 8 points on a 96 dpi screen: the system substitutes a font it has.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    setFont(font);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    setPalette(colours);

    // Pixel positions without a layout: resizing the window leaves the controls where they are.
    Label1->setGeometry(8, 4, 27, 13);
    Label2->setGeometry(106, 4, 22, 13);
    // A label sizes itself to its text; the stored widths fit "MS Sans Serif", and a wider
    // substitute must not cut the text off.
    for (QLabel* label : {Label1, Label2})
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    DTPInicio->setGeometry(8, 20, 88, 21);
    DTPFinal->setGeometry(106, 20, 88, 21);
    BBExecutar->setGeometry(8, 53, 186, 22);
    BBExecutar->setIcon(executarGlyph());
    BBExecutar->setIconSize(QSize(18, 18));
    // Outside a dialog a Qt button ignores Enter; a Windows button is pressed by it.
    BBExecutar->setAutoDefault(true);
    setTabOrder(DTPInicio, DTPFinal);
    setTabOrder(DTPFinal, BBExecutar);

    DTPInicio->installEventFilter(this);
    DTPFinal->installEventFilter(this);
    connect(BBExecutar, &QPushButton::clicked, this, &TFOrvek::BBExecutarClick);

    Database1->setDatabaseName(QStringLiteral("Confeccao"));
    Database1->setDriverName(QStringLiteral("STANDARD"));
    Database1->setLoginPrompt(false);
    QOrvekMestre->setDatabaseName(QStringLiteral("Confeccao"));
    QOrvekAnalitico->setDatabaseName(QStringLiteral("Confeccao"));
    configureQOrvekMestre(*QOrvekMestre);
    configureQOrvekAnalitico(*QOrvekAnalitico);

    runHandler([this] { FormCreate(); });
}

TFOrvek::~TFOrvek() {
    // Queries go before the connection they read from; Qt would release children in the order
    // they were made.
    delete QOrvekAnalitico;
    delete QOrvekMestre;
}

void TFOrvek::FormCreate() {
    applyConnectionProfile(*Database1, readConnectionSettings(QStringLiteral("./Vendrake.ini")));
    Database1->open();
    const QDate today = m_environment.today();
    DTPInicio->setDate(today);
    DTPFinal->setDate(today);
}

void TFOrvek::BBExecutarClick() {
    // A click held back while a run went on must not start another inside it.
    if (m_running)
        return;
    // The export run goes inside runHandler, so that its failures reach the error box.
    runHandler([this] { exportRun(); });
    if (m_closePending) {
        m_closePending = false;
        close();
    }
}

void TFOrvek::exportRun() {
    const QDate inicio = DTPInicio->date();
    const QDate final = DTPFinal->date();
    // The host's settings as they are now: a change made since the last run applies.
    const RegionalSettings settings = regionalSettingsFromHost();
    {
        const RunningFlag running(m_running);
        const RunCursor cursor;
        m_sinceFeedback.invalidate();
        ExportHooks hooks;
        hooks.progress = [this](qint32 contador) { showProgress(contador); };
        runExport({*Database1, *QOrvekMestre, *QOrvekAnalitico, *ContarRegistro}, inicio, final,
                  settings, hooks);
    }
    // Centred on the screen, not on the window, with every window of the program disabled.
    m_environment.showMessageBox(nullptr, {QMessageBox::NoIcon, applicationTitle(),
                                           QStringLiteral("Processo realizado com sucesso.")});
}

void TFOrvek::showProgress(qint32 contador) {
    BBExecutar->setText(QStringLiteral("Executar processo (") + QString::number(contador) +
                        QLatin1Char(')'));
    if (m_sinceFeedback.isValid() && m_sinceFeedback.elapsed() < kFeedbackIntervalMs)
        return;
    BBExecutar->repaint();
    // Paints, window-system requests and timers go on; mouse and keys wait for the run's end.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_sinceFeedback.start();
}

void TFOrvek::closeEvent(QCloseEvent* event) {
    if (m_running) {
        m_closePending = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TFOrvek::FormKeyPress(QWidget* sender, QChar& key) {
    if (key != QChar(13))
        return;
    key = QChar(0);
    if (QWidget* next = nextTabStop(sender))
        next->setFocus(Qt::TabFocusReason);
}

bool TFOrvek::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && event->type() == QEvent::Expose && m_outerSizePending) {
        QMetaObject::invokeMethod(this, &TFOrvek::fitOuterSize, Qt::QueuedConnection);
        return false;
    }
    if (event->type() == QEvent::KeyPress && (watched == DTPInicio || watched == DTPFinal)) {
        const int code = static_cast<QKeyEvent*>(event)->key();
        if (code == Qt::Key_Return || code == Qt::Key_Enter) {
            QChar key(13);
            runHandler([&] { FormKeyPress(static_cast<QWidget*>(watched), key); });
            return key.isNull();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFOrvek::runHandler(const std::function<void()>& handler) {
    QString message;
    try {
        handler();
        return;
    } catch (const RuntimeError& error) {
        message = error.message();
    } catch (const std::exception& error) {
        message = QString::fromUtf8(error.what());
    }
    // Before the window is shown the box stands alone, as at program start on Windows.
    m_environment.showMessageBox(isVisible() ? this : nullptr, errorBox(message));
}

QWidget* TFOrvek::nextTabStop(QWidget* after) const {
    for (QWidget* candidate = after->nextInFocusChain(); candidate && candidate != after;
         candidate = candidate->nextInFocusChain()) {
        // The focus chain also holds the parts inside a control and the window itself.
        if (candidate == this || !isAncestorOf(candidate) || after->isAncestorOf(candidate) ||
            candidate->focusProxy())
            continue;
        if ((candidate->focusPolicy() & Qt::TabFocus) && candidate->isEnabled() &&
            candidate->isVisibleTo(this))
            return candidate;
    }
    return nullptr;
}

void TFOrvek::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // The window system frames the window after it is shown, and exposes it once framed.
    windowHandle()->removeEventFilter(this);
    windowHandle()->installEventFilter(this);
    m_outerSizePending = true;
    move(centredFramePosition());
    fitOuterSize();
}

QPoint TFOrvek::centredFramePosition() const {
    // The whole screen, as Windows centres a window, not the area left by panels.
    const QRect screenArea = screen()->geometry();
    return {screenArea.x() + (screenArea.width() - kOuterSize.width()) / 2,
            screenArea.y() + (screenArea.height() - kOuterSize.height()) / 2};
}

// The frame's size is known only once the window system has framed the shown window, so the
// client area is fitted then, once per showing: later the user's own resizing stands. Where the
// platform reports no frame, the client area keeps the outer size.
void TFOrvek::fitOuterSize() {
    if (!m_outerSizePending || !isVisible())
        return;
    const QMargins frame = windowHandle()->frameMargins();
    if (frame.isNull())
        return;
    m_outerSizePending = false;
    resize(kOuterSize.shrunkBy(frame));
    // QWidget keeps the frame's size from its last move; the native window knows it now.
    windowHandle()->setFramePosition(centredFramePosition());
}
