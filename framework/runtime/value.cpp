#include "framework/runtime/value.h"

#include <string>

#include "framework/runtime/exceptions.h"

namespace fw {

template <class T>
T unbox(const Value& v) {
  if (const T* p = std::get_if<T>(&v)) return *p;
  throw IllegalCastException("a property was given a value of the wrong type");
}

template bool unbox<bool>(const Value&);
template int32_t unbox<int32_t>(const Value&);
template double unbox<double>(const Value&);
template float unbox<float>(const Value&);
template uint8_t unbox<uint8_t>(const Value&);
template Color unbox<Color>(const Value&);
template String unbox<String>(const Value&);
template Ref<Object> unbox<Ref<Object>>(const Value&);

}  // namespace fw
