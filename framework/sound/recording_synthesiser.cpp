#include "framework/sound/recording_synthesiser.h"

#include <ostream>

namespace fw {

void RecordingSynthesiser::programChange(int program) {
  calls_.push_back(Call::program(program));
}

void RecordingSynthesiser::noteOn(int note, int velocity) {
  calls_.push_back(Call::on(note, velocity));
}

void RecordingSynthesiser::noteOff(int note) {
  calls_.push_back(Call::off(note));
}

std::string toString(const RecordingSynthesiser::Call& call) {
  switch (call.kind) {
    case RecordingSynthesiser::Call::Program:
      return "program(" + std::to_string(call.a) + ")";
    case RecordingSynthesiser::Call::On:
      return "on(" + std::to_string(call.a) + ", " + std::to_string(call.b) + ")";
    case RecordingSynthesiser::Call::Off:
      return "off(" + std::to_string(call.a) + ")";
  }
  return "unknown(" + std::to_string(call.a) + ", " + std::to_string(call.b) + ")";
}

std::ostream& operator<<(std::ostream& out, const RecordingSynthesiser::Call& call) {
  return out << toString(call);
}

void PrintTo(const RecordingSynthesiser::Call& call, std::ostream* out) {
  *out << toString(call);
}

}  // namespace fw
