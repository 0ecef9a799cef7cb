#pragma once
// A synthesiser for tests: it plays nothing and keeps every call in order.

#include <iosfwd>
#include <string>
#include <vector>

#include "framework/sound/synthesiser.h"

namespace fw {

class RecordingSynthesiser : public Synthesiser {
 public:
  struct Call {
    enum Kind { Program, On, Off };
    Kind kind;
    int a;      // the program, or the note
    int b = 0;  // the velocity of a note-on; 0 otherwise

    static Call program(int p) { return {Program, p, 0}; }
    static Call on(int note, int velocity) { return {On, note, velocity}; }
    static Call off(int note) { return {Off, note, 0}; }
    friend bool operator==(const Call&, const Call&) = default;
  };

  void programChange(int program) override;
  void noteOn(int note, int velocity) override;
  void noteOff(int note) override;

  const std::vector<Call>& calls() const { return calls_; }
  void clear() { calls_.clear(); }

 private:
  std::vector<Call> calls_;
};

// "program(73)", "on(60, 100)", "off(60)": readable in test failure messages.
std::string toString(const RecordingSynthesiser::Call& call);
std::ostream& operator<<(std::ostream& out, const RecordingSynthesiser::Call& call);
void PrintTo(const RecordingSynthesiser::Call& call, std::ostream* out);

}  // namespace fw
