#include "frm_help.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace varnix::app {

namespace {

constexpr double kWidthShare = 0.5;    // of the screen's free width
constexpr double kHeightShare = 0.85;  // of its free height
constexpr double kMarginShare = 0.02;  // from its right and top edges

}  // namespace

frmHelp::frmHelp(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QString::fromLatin1(kHelpCaption));
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout();
    layout->addLayout(buttons);
    m_cmdContents = addButton("Contents", "cmdContents");
    m_cmdBack = addButton("Back", "cmdBack");
    m_cmdForward = addButton("Forward", "cmdForward");
    for (QPushButton* button : {m_cmdContents, m_cmdBack, m_cmdForward}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("txtHelp"));
    m_browser->setOpenExternalLinks(true);
    layout->addWidget(m_browser, 1);

    m_cmdBack->setEnabled(false);
    m_cmdForward->setEnabled(false);
    connect(m_cmdContents, &QPushButton::clicked, this,
            [this] { m_browser->setSource(m_contents); });
    connect(m_cmdBack, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_cmdForward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_cmdBack, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_cmdForward, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &frmHelp::showTitle);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(geometryFor(screen->availableGeometry()));
    }
}

QPushButton* frmHelp::addButton(const char* caption, const char* name)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

void frmHelp::showContents(const std::filesystem::path& contentsPage)
{
    m_contents = QUrl::fromLocalFile(QString::fromStdString(contentsPage.string()));
    m_browser->setSource(m_contents);
}

QRect frmHelp::geometryFor(const QRect& available)
{
    const int width = static_cast<int>(kWidthShare * available.width());
    const int height = static_cast<int>(kHeightShare * available.height());
    const int right = available.right() - static_cast<int>(kMarginShare * available.width());
    const int top = available.top() + static_cast<int>(kMarginShare * available.height());
    return {right - width + 1, top, width, height};
}

// The caption names the page shown, so that a window list tells the manual's pages apart.
void frmHelp::showTitle()
{
    const QString page = m_browser->documentTitle();
    setWindowTitle(page.isEmpty()
                       ? QString::fromLatin1(kHelpCaption)
                       : QStringLiteral("%1 - %2").arg(page, QLatin1String(kHelpCaption)));
}

}  // namespace varnix::app
