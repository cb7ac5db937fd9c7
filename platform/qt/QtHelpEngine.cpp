#include "QtHelpEngine.h"

#include "platform/HelpFile.h"
#include "platform/KeyboardOnShow.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace platform {

HelpWindow::HelpWindow()
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint)
    , m_browser(new QTextBrowser(this))
    , m_contents(new QPushButton(QStringLiteral("&Contents"), this))
    , m_back(new QPushButton(QStringLiteral("&Back"), this))
    , m_forward(new QPushButton(QStringLiteral("&Forward"), this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral(" Vyn Quillane Help"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {m_contents, m_back, m_forward}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(buttons);
    layout->addWidget(m_browser, 1);

    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);
    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    connect(m_contents, &QPushButton::clicked, this, [this] {
        QUrl url = m_browser->source();
        url.setFragment(QStringLiteral("contents"));
        m_browser->setSource(url, QTextDocument::HtmlResource);
    });
    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QPushButton::setEnabled);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);

    // A page's worth of text, in the middle of the screen.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize size(std::min(620, screen.width()), std::min(660, screen.height()));
    setGeometry(QRect(QPoint(screen.x() + (screen.width() - size.width()) / 2,
                             screen.y() + (screen.height() - size.height()) / 2),
                      size));
}

void HelpWindow::showAt(const QString &file, const QString &anchor)
{
    QUrl url = QUrl::fromLocalFile(file);
    url.setFragment(anchor);
    if (!isVisible()) {
        // Where the compositor gives the keyboard (Wayland), the help asks for it once it is
        // on the screen; the activation below finds no window there yet.
        TakeKeyboardOnceShown(this);
        show();
    }
    // The same file at another anchor only scrolls; another file (or the first) is loaded.
    m_browser->setSource(url, QTextDocument::HtmlResource);
    const QString title = m_browser->documentTitle();
    if (!title.isEmpty())
        setWindowTitle(QLatin1Char(' ') + title);
    bringToFront(true);
}

void HelpWindow::bringToFront(bool activate)
{
    if (!isVisible())
        return;
    raise();
    if (activate)
        activateWindow();
    platform::caps().stack->setTopmost(NativeWindow(winId()), true);
}

void HelpWindow::setOwner(QWindow *owner)
{
    if (m_owner == owner)
        return;
    if (m_owner)
        m_owner->removeEventFilter(this);
    m_owner = owner;
    if (m_owner)
        m_owner->installEventFilter(this);
    // A window is not blocked by a modal window it is transient for.
    winId();
    if (QWindow *window = windowHandle())
        window->setTransientParent(owner);
}

bool HelpWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_owner && event->type() == QEvent::Hide) {
        // The dialog that asked for help has closed and put the overlay back on top; the help
        // the user is reading comes back above it, as the window in use (a window manager
        // would not raise a window the user is not using over a topmost one).
        QTimer::singleShot(0, this, [this] { bringToFront(true); });
        setOwner(nullptr);
    }
    return QWidget::eventFilter(watched, event);
}

QtHelpEngine::~QtHelpEngine()
{
    // After the application object has gone, its windows are gone with it.
    if (QCoreApplication::instance())
        delete m_window;
}

namespace {

// A window of this program by its native id; null when it is not one (or not visible, when it
// cannot be modal either).
QWindow *visibleWindowWithId(NativeWindow id)
{
    if (!id)
        return nullptr;
    for (QWindow *window : QGuiApplication::allWindows()) {
        if (window->handle() && NativeWindow(window->winId()) == id && window->isVisible())
            return window;
    }
    return nullptr;
}

} // namespace

bool QtHelpEngine::WinHelp(NativeWindow owner, const std::string &file, unsigned command,
                           unsigned long data)
{
    if (command != HELP_CONTENTS_Command && command != HELP_CONTEXT_Command)
        return false;
    const QString path = FindFileIgnoringCase(QString::fromLocal8Bit(file.c_str()));
    QFile help(path);
    if (path.isEmpty() || !help.open(QIODevice::ReadOnly))
        return false;

    QString anchor = QStringLiteral("contents");
    if (command == HELP_CONTEXT_Command) {
        // A topic the file does not have shows the contents, as a help engine does with a
        // context number it cannot map.
        const QString topic = QStringLiteral("topic-%1").arg(data);
        const QRegularExpression named(QStringLiteral("name\\s*=\\s*[\"']?%1[\"'\\s>]")
                                           .arg(QRegularExpression::escape(topic)));
        if (named.match(QString::fromUtf8(help.readAll())).hasMatch())
            anchor = topic;
    }
    if (!m_window)
        m_window = new HelpWindow;
    m_window->setOwner(visibleWindowWithId(owner));
    m_window->showAt(path, anchor);
    return true;
}

} // namespace platform
