#include "framework/sound/realtimekit.h"

#include <dbus/dbus.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace fw {
namespace {

constexpr const char* kService = "org.freedesktop.RealtimeKit1";
constexpr const char* kPath = "/org/freedesktop/RealtimeKit1";
constexpr const char* kDefaultSystemBus = "unix:path=/var/run/dbus/system_bus_socket";

// The whole exchange (connect, hello, two properties, the request) shares one budget.
// Measured here with the real rtkit, as an unprivileged user: 2.7-4.4 ms in all, 9.3 ms
// just after rtkit started. A second leaves room for a slow start of the service while
// keeping a stalled bus from holding up the opening of the sound for long.
constexpr std::chrono::milliseconds kBudget{1000};

class Exchange {
 public:
  Exchange() : deadline_(std::chrono::steady_clock::now() + kBudget) { dbus_error_init(&error_); }
  ~Exchange() {
    dbus_error_free(&error_);
    if (connection_) {
      dbus_connection_close(connection_);
      dbus_connection_unref(connection_);
    }
  }
  Exchange(const Exchange&) = delete;
  Exchange& operator=(const Exchange&) = delete;

  // Opens a private connection to the system bus; on failure `reason` says why.
  bool connect(std::string& reason) {
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    if (!address || !*address) address = kDefaultSystemBus;
    connection_ = dbus_connection_open_private(address, &error_);
    if (!connection_) {
      reason = std::string("no system D-Bus (") + error_.message + ")";
      return false;
    }
    dbus_connection_set_exit_on_disconnect(connection_, FALSE);
    // A reply's timeout does not cover authentication, which would otherwise wait for
    // as long as a stalled bus keeps the socket open.
    while (!dbus_connection_get_is_authenticated(connection_)) {
      if (!dbus_connection_get_is_connected(connection_)) {
        reason = "the system D-Bus hung up";
        return false;
      }
      const int left = millisecondsLeft();
      if (left <= 1) {
        reason = "the system D-Bus did not let us in within a second";
        return false;
      }
      dbus_connection_read_write(connection_, left);
    }
    DBusMessage* hello = dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS,
                                                      DBUS_INTERFACE_DBUS, "Hello");
    if (DBusMessage* reply = call(hello)) {
      dbus_message_unref(reply);
      return true;
    }
    reason = timedOut() ? "the system D-Bus did not let us in within a second"
                        : "the system D-Bus did not let us in";
    return false;
  }

  // Reads an integer property of RealtimeKit; on failure `reason` says why.
  std::optional<int64_t> property(const char* name, std::string& reason) {
    DBusMessage* get =
        dbus_message_new_method_call(kService, kPath, DBUS_INTERFACE_PROPERTIES, "Get");
    if (!get) return std::nullopt;
    const char* interface = kService;
    dbus_message_append_args(get, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                             DBUS_TYPE_INVALID);
    DBusMessage* reply = call(get);
    if (!reply) {
      reason = failure();
      return std::nullopt;
    }
    std::optional<int64_t> value;
    DBusMessageIter args, variant;
    if (dbus_message_iter_init(reply, &args) &&
        dbus_message_iter_get_arg_type(&args) == DBUS_TYPE_VARIANT) {
      dbus_message_iter_recurse(&args, &variant);
      value = integer(variant);
    }
    dbus_message_unref(reply);
    if (!value) reason = std::string("RealtimeKit's ") + name + " is not a number";
    return value;
  }

  // Sends the request; on refusal `reason` says why.
  bool makeRealtime(pid_t tid, uint32_t priority, std::string& reason) {
    DBusMessage* request =
        dbus_message_new_method_call(kService, kPath, kService, "MakeThreadRealtime");
    if (!request) return false;
    const dbus_uint64_t thread = static_cast<dbus_uint64_t>(tid);
    const dbus_uint32_t level = priority;
    dbus_message_append_args(request, DBUS_TYPE_UINT64, &thread, DBUS_TYPE_UINT32, &level,
                             DBUS_TYPE_INVALID);
    DBusMessage* reply = call(request);
    if (!reply) {
      reason = failure();
      return false;
    }
    dbus_message_unref(reply);
    return true;
  }

 private:
  // Sends `message` (taking it) and waits for its reply within what is left of the
  // budget. Gives the reply, to be unreferenced, or null with `error_` set.
  DBusMessage* call(DBusMessage* message) {
    dbus_error_free(&error_);
    if (!message) return nullptr;
    DBusMessage* reply = dbus_connection_send_with_reply_and_block(
        connection_, message, std::max(millisecondsLeft(), 1), &error_);
    dbus_message_unref(message);
    return reply;
  }

  int millisecondsLeft() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline_ - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<int64_t>(left.count(), 0));
  }

  bool timedOut() const {
    return dbus_error_has_name(&error_, DBUS_ERROR_NO_REPLY) ||
           dbus_error_has_name(&error_, DBUS_ERROR_TIMEOUT);
  }

  std::string failure() const {
    if (!dbus_error_is_set(&error_)) return "out of memory";
    const char* name = error_.name;
    if (!std::strcmp(name, DBUS_ERROR_SERVICE_UNKNOWN) ||
        !std::strcmp(name, DBUS_ERROR_NAME_HAS_NO_OWNER))
      return "RealtimeKit is not running";
    if (timedOut()) return "RealtimeKit did not answer within a second";
    if (!std::strcmp(name, DBUS_ERROR_DISCONNECTED)) return "the system D-Bus hung up";
    return std::string("RealtimeKit refused (") + (error_.message ? error_.message : name) + ")";
  }

  template <class T>
  static int64_t basic(DBusMessageIter& it) {
    T value;
    dbus_message_iter_get_basic(&it, &value);
    return static_cast<int64_t>(value);
  }

  static std::optional<int64_t> integer(DBusMessageIter& it) {
    switch (dbus_message_iter_get_arg_type(&it)) {
      case DBUS_TYPE_INT32: return basic<dbus_int32_t>(it);
      case DBUS_TYPE_UINT32: return basic<dbus_uint32_t>(it);
      case DBUS_TYPE_INT64: return basic<dbus_int64_t>(it);
      case DBUS_TYPE_UINT64: {
        dbus_uint64_t value;
        dbus_message_iter_get_basic(&it, &value);
        return value > static_cast<dbus_uint64_t>(INT64_MAX) ? INT64_MAX
                                                              : static_cast<int64_t>(value);
      }
      default:
        return std::nullopt;
    }
  }

  DBusConnection* connection_ = nullptr;
  DBusError error_;
  std::chrono::steady_clock::time_point deadline_;
};

// RealtimeKit grants only to processes whose RLIMIT_RTTIME, soft and hard, is at most
// its RTTimeUSecMax, so that a runaway real-time thread is stopped by the kernel.
bool limitRealtimeCpu(int64_t usecMax, std::string& reason) {
  rlimit limit{};
  if (getrlimit(RLIMIT_RTTIME, &limit) != 0) limit.rlim_cur = limit.rlim_max = RLIM_INFINITY;
  const rlim_t most = static_cast<rlim_t>(usecMax);
  if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max <= most && limit.rlim_cur <= most)
    return true;
  if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max > most) limit.rlim_max = most;
  if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > limit.rlim_max)
    limit.rlim_cur = limit.rlim_max;
  if (setrlimit(RLIMIT_RTTIME, &limit) == 0) return true;
  reason =
      std::string("could not lower RLIMIT_RTTIME for RealtimeKit (") + std::strerror(errno) + ")";
  return false;
}

}  // namespace

RealtimeResult askRealtimeKit(pid_t tid, int wanted) noexcept {
  RealtimeResult result;
  try {
    Exchange exchange;
    if (!exchange.connect(result.reason)) return result;
    const std::optional<int64_t> most = exchange.property("MaxRealtimePriority", result.reason);
    if (!most) return result;
    const std::optional<int64_t> rttime = exchange.property("RTTimeUSecMax", result.reason);
    if (!rttime) return result;
    const int64_t priority = std::min<int64_t>(wanted, *most);
    if (priority < 1) {
      result.reason = "RealtimeKit allows no real-time priority";
      return result;
    }
    if (*rttime < 1) {
      result.reason = "RealtimeKit allows no real-time CPU time";
      return result;
    }
    if (!limitRealtimeCpu(*rttime, result.reason)) return result;
    if (!exchange.makeRealtime(tid, static_cast<uint32_t>(priority), result.reason)) return result;
    result.grant = RealtimeGrant::RealtimeKit;
    result.priority = static_cast<int>(priority);
    result.reason.clear();
  } catch (...) {
    result = RealtimeResult{};
    result.reason = "out of memory";  // short enough to need no allocation
  }
  return result;
}

}  // namespace fw
