#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

namespace velto {

/**
 * Opening velto again while it runs shows the settings window of the running
 * copy instead of starting a second one.
 *
 * The new launch calls handOverToRunningInstance() early in main(): when
 * another copy holds the single-instance name it is asked to reopen and the
 * launch exits with status 0; otherwise this process claims the name. The
 * running copy's ReopenDelegate then calls openSettings for each such request,
 * on the main thread, whether or not its windows are visible.
 */
class ReopenDelegate : public QObject {
    Q_OBJECT
public:
    /**
     * True when another running copy took the request (exit 0 now). False
     * otherwise, and this process then holds @p name for later launches. A
     * smoke-test run (@p arguments holding the option) is never handed over
     * and never claims the name. Needs the application object.
     */
    static bool handOverToRunningInstance(const QStringList& arguments, const QString& name);

    /**
     * Answers the requests that reach the name claimed by
     * handOverToRunningInstance(), also those that came before it existed, by
     * calling @p openSettings while @p target lives. Without a claimed name it
     * only answers applicationShouldHandleReopen().
     */
    ReopenDelegate(QObject* target, std::function<void()> openSettings, QObject* parent = nullptr);
    ~ReopenDelegate() override;

    /// The reopen request: opens the settings while the target lives; always true.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);

private:
    QPointer<QObject> m_target;
    std::function<void()> m_openSettings;
};

} // namespace velto
