#include "Vesk/SettingsWindow/Panes/AboutPane.h"

#include "Vesk/Controls/PaneColumn.h"
#include "Vesk/Controls/PlainTextButton.h"
#include "Vesk/Controls/SelectableText.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskPlatform/Workspace/UrlOpener.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>

namespace vesk {

namespace {

class IconView final : public QWidget {
public:
    IconView(QIcon icon, QWidget* parent) : QWidget(parent), m_icon(std::move(icon)) { setFixedSize(56, 56); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        m_icon.paint(&painter, rect());
    }

private:
    QIcon m_icon;
};

QWidget* padded(QLayout* content) {
    auto* box = new QWidget;
    box->setLayout(content);
    content->setContentsMargins(14, 14, 14, 14);
    return box;
}

} // namespace

QString aboutVersion(const QString& applicationVersion) {
    const QString shortVersion = applicationVersion.isEmpty() ? QStringLiteral("—") : applicationVersion;
    return QStringLiteral("Version ") + shortVersion + QStringLiteral(" (—)");
}

QString aboutEdition(const AboutFacts& facts) {
    if (facts.isSandboxed) return QStringLiteral("Flatpak edition");
    const QString host = QUrl(facts.website).host();
    if (host.isEmpty()) return QStringLiteral("Direct edition");
    return QStringLiteral("Direct edition — from ") + host;
}

QWidget* makeAboutPane(const AboutFacts& facts) {
    auto* pane = new PaneColumn(nullptr, 14);

    auto* identity = new SettingsCard;
    auto* row = new QHBoxLayout;
    row->setSpacing(14);
    row->addWidget(new IconView(facts.icon, nullptr));
    auto* text = new QVBoxLayout;
    text->setSpacing(3);
    text->addWidget(
        new TextView(QStringLiteral("VeskNotch"), systemFont(16, QFont::DemiBold), Vesk::Stone::x100));
    auto* version = new SelectableText(facts.version, Vesk::Type_::settingsFootnote(), Vesk::Stone::x300);
    version->setObjectName(QStringLiteral("version"));
    text->addWidget(version);
    auto* edition = new TextView(aboutEdition(facts), Vesk::Type_::settingsFootnote(), Vesk::Stone::x400);
    edition->setObjectName(QStringLiteral("edition"));
    text->addWidget(edition);
    row->addLayout(text, 1);
    auto* welcome =
        new PlainTextButton(QStringLiteral("Show Welcome"), systemFont(11, QFont::Medium), Vesk::Stone::x200);
    welcome->setObjectName(QStringLiteral("showWelcome"));
    QObject::connect(welcome, &QAbstractButton::clicked, welcome,
                     [] { NotificationCenter::defaultCenter().post(notchNotifications::veskShowWelcome); });
    row->addWidget(welcome, 0, Qt::AlignVCenter);
    identity->addRow(padded(row));
    pane->add(identity);

    auto* updates = new SettingsCard;
    auto* updatesColumn = new QVBoxLayout;
    updatesColumn->setSpacing(10);
    updatesColumn->addWidget(
        new TextView(QStringLiteral("Updates"), Vesk::Type_::settingsSection(), Vesk::Stone::x400));
    auto* note =
        new TextView(QStringLiteral("Updates arrive through your package manager, like any other app."),
                     Vesk::Type_::settingsFootnote(), Vesk::Stone::x400);
    note->setObjectName(QStringLiteral("updatesNote"));
    updatesColumn->addWidget(note);
    updates->addRow(padded(updatesColumn));
    pane->add(updates);

    // Links only where there is a site: a link must not lead nowhere.
    const QUrl site(facts.website);
    if (site.isValid() && site.scheme() == QLatin1String("https") && !site.host().isEmpty()) {
        auto* links = new QWidget;
        auto* line = new QHBoxLayout(links);
        line->setContentsMargins(2, 0, 0, 0);
        line->setSpacing(16);
        const struct {
            const char* title;
            const char* path;
        } targets[] = {{"Website", ""}, {"Support", "/support"}, {"Privacy Policy", "/privacy"}};
        for (const auto& target : targets) {
            auto* link = new PlainTextButton(QString::fromUtf8(target.title), systemFont(11, QFont::Medium),
                                             Vesk::Stone::x300, links);
            QUrl url;
            url.setScheme(QStringLiteral("https"));
            url.setHost(site.host());
            url.setPath(QString::fromUtf8(target.path));
            QObject::connect(link, &QAbstractButton::clicked, link, [url] { urlOpener::open(url); });
            line->addWidget(link);
        }
        line->addStretch(1);
        pane->add(links);
    }
    return pane;
}

} // namespace vesk
