#include <Platform/Screen.h>
#include <Platform/ScreenCoordinates.h>
#include <gtest/gtest.h>

using namespace velto::platform;

TEST(ScreenCoordinates, MirrorsAboutThePrimaryScreensBottomEdge) {
    const QRectF primary(0, 0, 1512, 982);
    // The top 24 points of the screen, as the menu bar sees them: y 958 to 982.
    EXPECT_EQ(ScreenCoordinates::fromQt(QRectF(1400, 0, 42, 24), primary),
              QRectF(1400, 958, 42, 24));
    EXPECT_EQ(ScreenCoordinates::toQt(QRectF(1400, 958, 42, 24), primary), QRectF(1400, 0, 42, 24));
    // A screen left of and below the primary one.
    EXPECT_EQ(ScreenCoordinates::fromQt(QRectF(-1920, 982, 1920, 1080), primary),
              QRectF(-1920, -1080, 1920, 1080));
}

TEST(ScreenCoordinates, MeasuresFromAPrimaryScreenThatIsNotAtTheOrigin) {
    const QRectF primary(1920, 100, 1512, 982);
    EXPECT_EQ(ScreenCoordinates::fromQt(QRectF(1920, 100, 10, 24), primary),
              QRectF(0, 958, 10, 24));
    EXPECT_EQ(ScreenCoordinates::toQt(QRectF(0, 958, 10, 24), primary), QRectF(1920, 100, 10, 24));
    // A window whose bottom-left origin is 4 below an item's bottom at 958, 280 high.
    EXPECT_EQ(ScreenCoordinates::topLeftForOrigin({520, 958 - 4 - 280}, 280, primary),
              QPointF(2440, 128));
}

TEST(Screen, RecognisesBuiltInPanelsByConnectorName) {
    for (const char* name :
         {"eDP-1", "eDP1", "card0-eDP-1", "LVDS-1", "card1-LVDS-2", "DSI-1", "edp-1"})
        EXPECT_TRUE(Screen::isBuiltInConnectorName(QString::fromLatin1(name))) << name;
    for (const char* name :
         {"HDMI-A-1", "DP-1", "card0-DP-2", "card0", "VGA-1", "", "Virtual-1", "carddp"})
        EXPECT_FALSE(Screen::isBuiltInConnectorName(QString::fromLatin1(name))) << name;
}
