#include "Vesk/Permissions/PermissionPrompt.h"

#include "support/Dialogs/ModalDialog.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vesk {
namespace {

class PermissionPromptTest : public ::testing::Test {
protected:
    ActivationHolds holds;
    QStringList launched; // the settings pages started

    PermissionPrompt promptOn(const QString& desktop) {
        return PermissionPrompt(holds, SystemSettings(
                                           desktop, [](const QString& name) { return "/usr/bin/" + name; },
                                           [this](const SystemSettings::Launch& launch) {
                                               launched += launch.arguments;
                                               return true;
                                           }));
    }
};

TEST_F(PermissionPromptTest, ExplainAnswersEachChoice) {
    struct Case {
        const char* desktop;
        std::optional<QString> pane;
        const char* press;
        bool expected;
        QStringList launched;
        QStringList buttons;
    };
    const QStringList both{QStringLiteral("Open System Settings"), QStringLiteral("Not Now")};
    const std::vector<Case> cases{
        {"ubuntu:GNOME",
         QStringLiteral("Privacy_Accessibility"),
         "Open System Settings",
         true,
         {"keyboard"},
         both},
        {"KDE", QStringLiteral("Privacy_Bluetooth"), "Not Now", false, {}, both},
        // Without a pane the same two buttons; choosing to open opens nothing.
        {"KDE", std::nullopt, "Open System Settings", true, {}, both},
        // A desktop with no page for the pane offers only OK and adds nothing to the message.
        {"XFCE", QStringLiteral("Privacy_Bluetooth"), "OK", false, {}, {"OK"}},
        // The keys' explanation: a desktop without a keyboard page has nothing to open.
        {"XFCE", QStringLiteral("Privacy_Accessibility"), "OK", false, {}, {"OK"}},
        {"KDE", QStringLiteral("Privacy_Accessibility"), "Open System Settings", true, {"kcm_keys"}, both},
    };
    for (const Case& c : cases) {
        launched.clear();
        PermissionPrompt prompt = promptOn(QString::fromLatin1(c.desktop));
        QStringList buttons;
        QString text;
        QString informative;
        QString defaultButton;
        bool regularShown = false;
        test::whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            text = box->text();
            informative = box->informativeText();
            defaultButton = box->defaultButton()->text();
            regularShown = holds.isRegular();
            for (QAbstractButton* button : box->buttons())
                buttons.append(button->text());
            for (QAbstractButton* button : box->buttons())
                if (button->text() == QLatin1String(c.press)) button->click();
        });
        EXPECT_EQ(prompt.explain(QStringLiteral("Title"), QStringLiteral("Message."), c.pane), c.expected);
        EXPECT_EQ(text, QStringLiteral("Title"));
        EXPECT_EQ(QSet<QString>(buttons.begin(), buttons.end()),
                  QSet<QString>(c.buttons.begin(), c.buttons.end()));
        EXPECT_EQ(defaultButton, c.buttons.constFirst());
        EXPECT_EQ(informative, QStringLiteral("Message."));
        EXPECT_EQ(launched, c.launched);
        EXPECT_TRUE(regularShown);
        EXPECT_FALSE(holds.isRegular());
    }
}

TEST_F(PermissionPromptTest, OpenPaneWithoutAPageSaysNothingIsNeeded) {
    PermissionPrompt prompt = promptOn(QStringLiteral("GNOME"));
    QString text;
    test::whenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        box->accept();
    });
    prompt.openPane(QStringLiteral("Privacy_AllFiles"));
    EXPECT_EQ(text, SystemSettings::nothingNeeded(u"Privacy_AllFiles"));
    EXPECT_TRUE(launched.isEmpty());

    prompt.openPane(QStringLiteral("Privacy_Camera"));
    EXPECT_EQ(launched, QStringList{QStringLiteral("camera")});
}

} // namespace
} // namespace vesk
