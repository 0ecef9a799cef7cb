// A stand-in for RealtimeKit on the bus named by DBUS_SYSTEM_BUS_ADDRESS, for tests
// that must not change the machine. It answers the properties the request reads and
// prints one line "request <thread> <priority>" for each MakeThreadRealtime, then
// grants it without touching the thread, or refuses it as RealtimeKit's policy would.
//
//   fake_realtimekit <MaxRealtimePriority> <RTTimeUSecMax> [refuse]
//
// Prints "ready" once it owns the name. Ends when the bus goes away or on SIGTERM.

#include <dbus/dbus.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kService = "org.freedesktop.RealtimeKit1";

DBusMessage* property(DBusMessage* call, dbus_int32_t maxPriority, dbus_int64_t rttimeMax) {
  const char* interface = nullptr;
  const char* name = nullptr;
  if (!dbus_message_get_args(call, nullptr, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                             DBUS_TYPE_INVALID) ||
      std::strcmp(interface, kService) != 0)
    return dbus_message_new_error(call, DBUS_ERROR_INVALID_ARGS, "no such interface");
  DBusMessage* reply = dbus_message_new_method_return(call);
  DBusMessageIter args, variant;
  dbus_message_iter_init_append(reply, &args);
  if (!std::strcmp(name, "MaxRealtimePriority")) {
    dbus_message_iter_open_container(&args, DBUS_TYPE_VARIANT, "i", &variant);
    dbus_message_iter_append_basic(&variant, DBUS_TYPE_INT32, &maxPriority);
  } else if (!std::strcmp(name, "RTTimeUSecMax")) {
    dbus_message_iter_open_container(&args, DBUS_TYPE_VARIANT, "x", &variant);
    dbus_message_iter_append_basic(&variant, DBUS_TYPE_INT64, &rttimeMax);
  } else {
    dbus_message_unref(reply);
    return dbus_message_new_error(call, DBUS_ERROR_INVALID_ARGS, "no such property");
  }
  dbus_message_iter_close_container(&args, &variant);
  return reply;
}

DBusMessage* request(DBusMessage* call, bool withPid, bool refuse) {
  dbus_uint64_t process = 0, thread = 0;
  dbus_uint32_t priority = 0;
  const bool read =
      withPid ? dbus_message_get_args(call, nullptr, DBUS_TYPE_UINT64, &process, DBUS_TYPE_UINT64,
                                      &thread, DBUS_TYPE_UINT32, &priority, DBUS_TYPE_INVALID)
              : dbus_message_get_args(call, nullptr, DBUS_TYPE_UINT64, &thread, DBUS_TYPE_UINT32,
                                      &priority, DBUS_TYPE_INVALID);
  if (!read) return dbus_message_new_error(call, DBUS_ERROR_INVALID_ARGS, "bad arguments");
  std::printf("request %llu %u\n", static_cast<unsigned long long>(thread), priority);
  std::fflush(stdout);
  if (refuse)
    return dbus_message_new_error(call, DBUS_ERROR_ACCESS_DENIED, "Operation not permitted");
  return dbus_message_new_method_return(call);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <max priority> <rttime usec max> [refuse]\n", argv[0]);
    return 2;
  }
  const dbus_int32_t maxPriority = std::atoi(argv[1]);
  const dbus_int64_t rttimeMax = std::atoll(argv[2]);
  const bool refuse = argc > 3 && !std::strcmp(argv[3], "refuse");

  DBusError error;
  dbus_error_init(&error);
  DBusConnection* bus = dbus_bus_get_private(DBUS_BUS_SYSTEM, &error);
  if (!bus) {
    std::fprintf(stderr, "fake_realtimekit: %s\n", error.message);
    return 1;
  }
  if (dbus_bus_request_name(bus, kService, DBUS_NAME_FLAG_DO_NOT_QUEUE, &error) !=
      DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
    std::fprintf(stderr, "fake_realtimekit: could not own %s\n", kService);
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);

  while (dbus_connection_read_write(bus, -1)) {
    while (DBusMessage* call = dbus_connection_pop_message(bus)) {
      DBusMessage* reply = nullptr;
      if (dbus_message_is_method_call(call, DBUS_INTERFACE_PROPERTIES, "Get"))
        reply = property(call, maxPriority, rttimeMax);
      else if (dbus_message_is_method_call(call, kService, "MakeThreadRealtime"))
        reply = request(call, false, refuse);
      else if (dbus_message_is_method_call(call, kService, "MakeThreadRealtimeWithPID"))
        reply = request(call, true, refuse);
      else if (dbus_message_get_type(call) == DBUS_MESSAGE_TYPE_METHOD_CALL)
        reply = dbus_message_new_error(call, DBUS_ERROR_UNKNOWN_METHOD, "no such method");
      if (reply) {
        dbus_connection_send(bus, reply, nullptr);
        dbus_message_unref(reply);
      }
      dbus_message_unref(call);
    }
  }
  return 0;
}
