#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <VeltoPluginKit/Observable.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace velto {
namespace {

// An observable value, stored after its observers are told, as gauges store theirs.
class Value final : public Observable {
public:
    void set(int value) {
        notifyWillChange();
        m_value = value;
    }
    int value() const { return m_value; }

private:
    int m_value = 0;
};

// Counts the queued calls the application delivers: each is one wake-up of the loop.
class QueuedCallCounter final : public QObject {
public:
    QueuedCallCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~QueuedCallCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MetaCall)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

void nextTurn() {
    QCoreApplication::sendPostedEvents();
}

TEST(ObservableTest, ABurstOfChangesGivesOneCallAfterTheLastValueIsStored) {
    Value value;
    QObject context;
    std::vector<int> seen;
    value.onChange(&context, [&] { seen.push_back(value.value()); });
    value.set(1);
    value.set(2);
    value.set(3);
    EXPECT_TRUE(seen.empty()) << "calls wait for the next turn";
    nextTurn();
    EXPECT_EQ(seen, std::vector<int>{3});
    value.set(4);
    nextTurn();
    EXPECT_EQ(seen, (std::vector<int>{3, 4}));
}

TEST(ObservableTest, ChangesOfSeveralObservablesInOneTurnWakeTheLoopOnceInTheirOrder) {
    Value cpu, ram, network;
    QObject context;
    std::vector<std::string> order;
    cpu.onChange(&context, [&] { order.push_back("cpu"); });
    ram.onChange(&context, [&] { order.push_back("ram"); });
    ram.onChange(&context, [&] { order.push_back("ram detail"); });
    network.onChange(&context, [&] { order.push_back("network"); });
    nextTurn();
    QueuedCallCounter counter;
    network.set(1);
    cpu.set(1);
    ram.set(1);
    cpu.set(2);
    nextTurn();
    EXPECT_EQ(order, (std::vector<std::string>{"network", "cpu", "ram", "ram detail"}));
    EXPECT_EQ(counter.count, 1);
}

TEST(ObservableTest, AChangeMadeInACallIsCalledOnTheNextTurnNotThisOne) {
    Value value;
    QObject context;
    int calls = 0;
    value.onChange(&context, [&] {
        ++calls;
        if (calls < 3)
            value.set(calls); // a view that writes back, as a settings binding may
    });
    value.set(0);
    nextTurn();
    EXPECT_EQ(calls, 1);
    nextTurn();
    EXPECT_EQ(calls, 2);
    nextTurn();
    nextTurn();
    EXPECT_EQ(calls, 3) << "no call without a change";
}

TEST(ObservableTest, ObserversGoneBeforeTheirTurnAreNotCalled) {
    Value value;
    auto early = std::make_unique<QObject>();
    auto later = std::make_unique<QObject>();
    auto gone = std::make_unique<QObject>();
    int calls = 0;
    // The first callback of the turn ends another observer whose call is owed too.
    value.onChange(early.get(), [&] {
        ++calls;
        later.reset();
    });
    value.onChange(later.get(), [&] { ++calls; });
    value.onChange(gone.get(), [&] { ++calls; });
    value.set(1);
    gone.reset();
    nextTurn();
    EXPECT_EQ(calls, 1);

    // An observable that goes away with calls owed takes them with it.
    auto shortLived = std::make_unique<Value>();
    shortLived->onChange(early.get(), [&] { ++calls; });
    shortLived->set(1);
    shortLived.reset();
    nextTurn();
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace velto
