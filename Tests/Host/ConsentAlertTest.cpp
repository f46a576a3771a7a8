#include <Platform/ConsentAlert.h>
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <Support/TestEnvironment.h>
#include <gtest/gtest.h>

using namespace velto::platform;

TEST(ConsentAlert, OffersLoadFirstAsTheDefaultThenDontLoad) {
    const auto box = ConsentAlert::make(QStringLiteral("Jane Developer"));
    EXPECT_EQ(box->text(), QStringLiteral("New third-party plugin"));
    EXPECT_EQ(
        box->informativeText(),
        QStringLiteral(
            "A plugin signed by \"Jane Developer\" wants to load for the first time. Third-party "
            "plugins run with the same access to your Mac as velto itself."));
    const QList<QAbstractButton*> buttons = box->buttons();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Load"));
    EXPECT_EQ(box->buttonRole(buttons.at(0)), QMessageBox::AcceptRole);
    EXPECT_EQ(box->buttonRole(buttons.at(1)), QMessageBox::RejectRole);

    box->show();
    box->grab().save(velto::test::renderPath(QStringLiteral("consent-alert.png")));
}

TEST(ConsentAlert, ShowsTheIdentityAsPlainText) {
    const auto box = ConsentAlert::make(QStringLiteral("<img src=x><b>Mallory</b>"));
    const QList<QLabel*> labels = box->findChildren<QLabel*>();
    const auto shown = std::find_if(labels.begin(), labels.end(), [](const QLabel* label) {
        return label->text().contains(QLatin1String("Mallory"));
    });
    ASSERT_NE(shown, labels.end());
    EXPECT_EQ((*shown)->textFormat(), Qt::PlainText);
}

TEST(ConsentAlert, AnswersYesOnlyForLoad) {
    const auto answer = [](const char* buttonText) {
        QTimer::singleShot(0, [buttonText] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
                    for (QAbstractButton* button : box->buttons())
                        if (button->text() == QLatin1String(buttonText))
                            button->click();
        });
        return ConsentAlert::run(QStringLiteral("<b>Mallory</b>"));
    };
    EXPECT_TRUE(answer("Load"));
    EXPECT_FALSE(answer("Don't Load"));
    QTimer::singleShot(0, [] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
                box->reject();
    });
    EXPECT_FALSE(ConsentAlert::run(QStringLiteral("x"))) << "closing the alert is a no";
}
