// UpdateControls against an updater the test drives by hand.

#include "UpdateControls.h"

#include <Platform/Updater.h>
#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace velto;

namespace {

class FakeUpdater final : public platform::Updater {
public:
    bool canCheckForUpdates() const override { return canCheck; }
    bool automaticallyChecksForUpdates() const override { return automatic; }
    void setAutomaticallyChecksForUpdates(bool enabled) override {
        automaticSets.push_back(enabled);
        automatic = enabled;
    }
    void checkForUpdates() override { ++checks; }

    void report(bool value) {
        canCheck = value;
        Q_EMIT canCheckForUpdatesChanged(value);
    }

    bool canCheck = true;
    bool automatic = true;
    std::vector<bool> automaticSets;
    int checks = 0;
};

void runPendingEvents() {
    QCoreApplication::processEvents();
}

} // namespace

TEST(UpdateControls, StartsUnableToCheckAndTakesTheUpdatersValueOnTheNextTurn) {
    FakeUpdater updater;
    UpdateControls controls(updater);
    EXPECT_FALSE(controls.canCheckForUpdates()) << "the button starts disabled";
    runPendingEvents();
    EXPECT_TRUE(controls.canCheckForUpdates());
}

TEST(UpdateControls, FollowsTheUpdaterAndNotifiesBeforeEachValueIsStored) {
    FakeUpdater updater;
    UpdateControls controls(updater);
    std::vector<bool> seenBeforeChange;
    QObject::connect(&controls, &Observable::willChange,
                     [&] { seenBeforeChange.push_back(controls.canCheckForUpdates()); });
    runPendingEvents();
    updater.report(false);
    EXPECT_TRUE(controls.canCheckForUpdates())
        << "changes arrive on the main loop, not inside the signal";
    runPendingEvents();
    EXPECT_FALSE(controls.canCheckForUpdates());
    updater.report(true);
    updater.report(true);
    runPendingEvents();
    EXPECT_TRUE(controls.canCheckForUpdates());
    EXPECT_EQ(seenBeforeChange, (std::vector<bool>{false, true, false, true}))
        << "one notice per value, each before it is stored, equal values included";
}

TEST(UpdateControls, DropsValuesThatArriveAfterItIsGone) {
    FakeUpdater updater;
    auto controls = std::make_unique<UpdateControls>(updater);
    updater.report(false);
    controls.reset();
    updater.report(true);
    runPendingEvents(); // nothing may touch the destroyed controls (AddressSanitizer watches)
    SUCCEED();
}

TEST(UpdateControls, KeepsTheAutomaticPreferenceInTheUpdaterAndNotifiesEvenWhenEqual) {
    FakeUpdater updater;
    UpdateControls controls(updater);
    runPendingEvents();
    int notices = 0;
    QObject::connect(&controls, &Observable::willChange, [&] { ++notices; });
    EXPECT_TRUE(controls.automaticallyChecks());
    controls.setAutomaticallyChecks(true);
    controls.setAutomaticallyChecks(false);
    EXPECT_EQ(notices, 2);
    EXPECT_EQ(updater.automaticSets, (std::vector<bool>{true, false}));
    updater.automatic = true;
    EXPECT_TRUE(controls.automaticallyChecks()) << "no copy is kept";

    controls.checkForUpdates();
    EXPECT_EQ(updater.checks, 1);
}
