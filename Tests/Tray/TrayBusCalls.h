#pragma once

#include <QCoreApplication>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace velto::test {

/// Turns the event loop until @p predicate holds; false after @p milliseconds.
template <typename Predicate> bool waitUntil(Predicate predicate, int milliseconds = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!predicate()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

/// Calls @p method on a tray item's object as a host does, from the test's
/// session connection. The call goes out asynchronously and the loop turns
/// until its answer: the item answering lives on this thread.
QDBusMessage callItem(const QString& service, const QString& interface, const QString& method,
                      const QVariantList& arguments);

/// The item's property @p name, read with Properties.Get; invalid on an error.
QVariant itemProperty(const QString& service, const QString& name);

/// Hears the signals of a tray item's object, in the order they came.
class SignalRecorder final : public QObject {
    Q_OBJECT
public:
    /// Listens for every signal of the item interface from @p service.
    bool listenTo(const QString& service);
    QStringList members() const { return m_members; }
    /// The arguments of each signal heard.
    QList<QVariantList> arguments() const { return m_arguments; }

private Q_SLOTS:
    void record(const QDBusMessage& message);

private:
    QStringList m_members;
    QList<QVariantList> m_arguments;
};

} // namespace velto::test
