#include <Platform/StatusNotifierTypes.h>
#include <Platform/TrayLabel.h>
#include <gtest/gtest.h>

using namespace velto::platform;

TEST(TrayLabel, JoinsTheShownTextsWithSqueezedBlanks) {
    EXPECT_EQ(
        TrayLabel::text({QStringLiteral("  0.0 B/s  "), QString(), QStringLiteral(" 1.5 KB/s ")}),
        QStringLiteral("0.0 B/s 1.5 KB/s"));
    EXPECT_EQ(TrayLabel::text({}), QString());
}

TEST(TrayLabel, FiguresKeepTheNumberAndTheUnitsLetter) {
    EXPECT_EQ(TrayLabel::figures({QStringLiteral("37%")}), QStringList{QStringLiteral("37")});
    EXPECT_EQ(TrayLabel::figures({QStringLiteral("  1.5 KB/s "), QStringLiteral("  0.0 B/s  ")}),
              (QStringList{QStringLiteral("1.5K"), QStringLiteral("0.0")}));
    EXPECT_EQ(TrayLabel::figures({QStringLiteral("12,5 GB")}),
              QStringList{QStringLiteral("12,5G")});
    // A separator without a digit after it ends the number; no number, no figure.
    EXPECT_EQ(TrayLabel::figures({QStringLiteral("7. items")}), QStringList{QStringLiteral("7")});
    EXPECT_TRUE(TrayLabel::figures({QStringLiteral("\u2014"), QStringLiteral("\u2699")}).isEmpty());
    EXPECT_EQ(
        TrayLabel::figures({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}).size(),
        2);
}

TEST(TrayLabel, GuideOnlyGrowsSoTheHostsWidthStaysSteady) {
    QString guide = TrayLabel::guide(QStringLiteral("7%"), {});
    EXPECT_EQ(guide, QStringLiteral("8%"));
    guide = TrayLabel::guide(QStringLiteral("100%"), guide);
    EXPECT_EQ(guide, QStringLiteral("888%"));
    EXPECT_EQ(TrayLabel::guide(QStringLiteral("5%"), guide), QStringLiteral("888%"));
}

TEST(TrayPixmap, CarriesStraightAlphaArgbInNetworkByteOrder) {
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0x11, 0x22, 0x33, 0xff));
    image.setPixel(1, 0, qRgba(0x80, 0x40, 0x20, 0x80));
    const TrayPixmap pixmap = TrayPixmap::fromImage(image);
    ASSERT_EQ(pixmap.pixels.size(), 8);
    EXPECT_EQ(pixmap.pixels.left(4), QByteArray::fromHex("ff112233"));
    EXPECT_EQ(pixmap.pixels.mid(4), QByteArray::fromHex("80804020"));
    EXPECT_EQ(pixmap.toImage().pixel(1, 0), image.pixel(1, 0));

    // Premultiplied input is straightened; a short byte count is no image.
    const TrayPixmap fromPremultiplied =
        TrayPixmap::fromImage(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    EXPECT_EQ(fromPremultiplied.pixels.mid(4, 1), QByteArray::fromHex("80"));
    EXPECT_NEAR(static_cast<unsigned char>(fromPremultiplied.pixels[5]), 0x80, 1);
    EXPECT_TRUE((TrayPixmap{2, 2, QByteArray(3, '\0')}).toImage().isNull());
}
