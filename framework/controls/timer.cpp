#include <QTimer>
#include <algorithm>

#include "framework/controls/control_impl.h"
#include "framework/controls/qt_platform.h"
#include "framework/controls/timer_impl.h"
#include "framework/runtime/delegate.h"

using fw::build::getter;
using fw::build::PropRow;
using fw::build::setter;

namespace {

// Every Timer alive, so that start-up can schedule those whose handlers it just bound.
std::vector<Timer*>& liveTimers() {
  static std::vector<Timer*> timers;
  return timers;
}

Timer& timer(Object* o) {
  return fw::controls::as<Timer>(o, "is not a Timer");
}

bool hasListener(Timer& t) {
  return fw::eventHandler(&t, "Action") != nullptr || !t.impl().receivers.empty();
}

// Runs the Qt timer only when it can do something: on, with a period, and with a handler
// or receiver to call. A Period of 0 or less never runs (Qt would fire in a busy loop).
void schedule(Timer& t) {
  Timer::Impl& d = t.impl();
  const bool run = d.enabled && d.mode != 0 && d.period > 0 && hasListener(t);
  if (!run) {
    if (d.qtimer) d.qtimer->stop();
    return;
  }
  if (d.qtimer == nullptr) {
    fw::qt::ensureApplication();
    d.qtimer = new QTimer;
    QObject::connect(d.qtimer, &QTimer::timeout, d.qtimer, [&t] {
      fw::guarded([&] {
        Ref<Object> keep = Ref<Object>::retain(&t);
        fw::callMethod<void>(&t, TimerSlot::_CallAction);
      });
    });
  }
  d.qtimer->start(d.period);
}

void reset(Object* self) {
  schedule(timer(self));
}

void addReceiver(Object* self, Object* receiver) {
  if (receiver == nullptr) RaiseNilObjectException();
  timer(self).impl().receivers.push_back(Ref<Object>::retain(receiver));
  schedule(timer(self));
}

void removeReceiver(Object* self, Object* receiver) {
  auto& list = timer(self).impl().receivers;
  auto it = std::find_if(list.begin(), list.end(),
                         [&](const Ref<Object>& r) { return r.get() == receiver; });
  if (it != list.end()) list.erase(it);
  schedule(timer(self));
}

// One firing: a single-shot timer turns itself off first, then "Action" is raised on the
// timer and on each receiver.
void callAction(Object* self) {
  Timer& t = timer(self);
  Timer::Impl& d = t.impl();
  ++d.fired;
  if (d.mode == 1) t.setMode(0);
  if (!hasListener(t)) schedule(t);
  fw::raiseEvent<void>(&t, "Action");
  auto receivers = d.receivers;  // a handler may add or remove receivers
  for (const auto& r : receivers) fw::raiseEvent<void>(r.get(), "Action");
}

Timer::Impl& parts(Object* o) {
  return timer(o).impl();
}

// name         type  getter                                setter
constexpr PropRow kTimerProps[] = {
    {"Mode", "i4", getter<&timer, &Timer::Mode>, setter<&timer, &Timer::setMode>},
    {"Period", "i4", getter<&timer, &Timer::Period>, setter<&timer, &Timer::setPeriod>},
    // Reset schedules the timer anew, as a change of Enabled needs.
    {"Enabled", "b", getter<&timer, &Timer::Enabled>,
     setter<&parts, &Timer::Impl::enabled, &reset>},
    {"_Fired", "i4", getter<&parts, &Timer::Impl::fired>, nullptr, false},
};

constexpr const char* kTimerEvents[] = {"Action"};

}  // namespace

Timer::Timer(ClassTable* cls) : Object(cls), impl_(std::make_unique<Impl>()) {
  liveTimers().push_back(this);
}

Timer::~Timer() {
  auto& all = liveTimers();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
  if (QTimer* q = impl_->qtimer) {
    q->stop();
    q->disconnect();
    // It may be the timer whose timeout is being handled right now.
    if (fw::qt::eventLoopRunning())
      q->deleteLater();
    else
      delete q;
  }
}

ClassTable* Timer::__Lookup() {
  static const MethodSlot kSlots[TimerSlot::kCount] = {
      fw::slot(&reset, "%%"),
      fw::slot(&addReceiver, "%%o<actionNotificationReceiver>"),
      fw::slot(&removeReceiver, "%%o<actionNotificationReceiver>"),
      fw::slot(&callAction, "%%"),
  };
  static ClassTable* const kInterfaces[] = {actionSource__Lookup()};
  static ClassTable* table = [] {
    ClassTable* t = fw::build::makeClass({.name = "Timer",
                                          .parent = fw::objectClass(),
                                          .methods = kSlots,
                                          .events = kTimerEvents,
                                          .properties = kTimerProps,
                                          .interfaces = kInterfaces,
                                          .factory = fw::build::newObject<Timer>});
    InterfaceRecord& source = t->interfaces.back();
    source.methods[0] = kSlots[TimerSlot::addActionNotificationReceiver];
    source.methods[1] = kSlots[TimerSlot::removeActionNotificationReceiver];
    return t;
  }();
  return table;
}

int32_t Timer::Mode() const {
  return impl_->mode;
}
int32_t Timer::Period() const {
  return impl_->period;
}
bool Timer::Enabled() const {
  return impl_->enabled;
}

void Timer::setMode(int32_t mode) {
  impl_->mode = mode;
  schedule(*this);
}

void Timer::setPeriod(int32_t period) {
  impl_->period = period;
  schedule(*this);
}

namespace fw::controls {

void rescheduleTimers() {
  for (Timer* t : liveTimers()) schedule(*t);
}

bool timerScheduled(const Timer& t) {
  return t.impl().qtimer && t.impl().qtimer->isActive();
}

}  // namespace fw::controls
