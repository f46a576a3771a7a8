#include "Platform/ConsentAlert.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace velto::platform::ConsentAlert {

QString informativeText(const QString& identity) {
    return QStringLiteral("A plugin signed by \"") + identity +
           QStringLiteral(
               "\" wants to load for the first time. Third-party plugins run with the same "
               "access to your Mac as velto itself.");
}

std::unique_ptr<QMessageBox> make(const QString& identity) {
    auto box = std::make_unique<QMessageBox>();
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(QStringLiteral("velto"));
    box->setText(QString::fromUtf8(kMessageText));
    box->setInformativeText(informativeText(identity));
    // Identities come from certificates anyone can make: never let them format the text.
    box->setTextFormat(Qt::PlainText);
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);
    QPushButton* load = box->addButton(QString::fromUtf8(kLoadButton), QMessageBox::AcceptRole);
    box->addButton(QString::fromUtf8(kDontLoadButton), QMessageBox::RejectRole);
    box->setDefaultButton(load);
    return box;
}

bool run(const QString& identity) {
    const std::unique_ptr<QMessageBox> box = make(identity);
    box->exec();
    const QAbstractButton* chosen = box->clickedButton();
    return chosen && chosen->text() == QString::fromUtf8(kLoadButton);
}

} // namespace velto::platform::ConsentAlert
