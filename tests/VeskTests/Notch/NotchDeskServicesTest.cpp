// The desk services the window controller shares with every display's model.
#include "Vesk/Notch/NotchViewModel.h"

#include "support/Notch/TwoDisplayController.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace vesk;
using namespace vesk::test;

using NotchDeskServicesTest = TwoDisplayControllerTest;

TEST_F(NotchDeskServicesTest, EveryModelGetsTheSharedServicesAndTheirPinnedAppsWhenRefreshed) {
    // What an earlier run pinned is there from the start.
    {
        QuickAppsService earlier(QStringLiteral("Vesk"));
        earlier.add(QuickApp{.id = QUuid::createUuid(),
                             .bundleID = QStringLiteral("a.desktop"),
                             .name = QStringLiteral("A"),
                             .path = std::nullopt});
    }
    NotchWindowController controller(settings, environment);
    ASSERT_EQ(controller.displays().size(), 2);
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const NotchDisplay& display : controller.displays()) {
        EXPECT_EQ(display.model->shortcutsService(), &controller.shortcutsService());
        EXPECT_EQ(display.model->quickAppsService(), &controller.quickAppsService());
        EXPECT_EQ(display.model->quickApps(), controller.quickAppsService().apps());
        EXPECT_EQ(display.model->quickApps().size(), 1);
        spies.push_back(std::make_unique<QSignalSpy>(display.model, &NotchViewModel::quickAppsChanged));
    }

    controller.quickAppsService().add(QuickApp{.id = QUuid::createUuid(),
                                               .bundleID = QStringLiteral("b.desktop"),
                                               .name = QStringLiteral("B"),
                                               .path = std::nullopt});
    controller.refreshQuickApps();
    controller.refreshQuickApps();
    for (const NotchDisplay& display : controller.displays())
        EXPECT_EQ(display.model->quickApps().size(), 2);
    for (const auto& spy : spies)
        EXPECT_EQ(spy->count(), 1);
}
