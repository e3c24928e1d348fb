#pragma once
// Enumerations shared by every layer: log levels, hook actions and worker
// thread priorities.
#include <cstdint>

namespace velmora {

// The component's log levels; the engine's and the library's level is the
// ordinal minus 1 (-1 quiet .. 3 everything).
enum TLogLevel { llQuiet, llError, llInfo, llDebug, llAll };

// What the frame hooks do with the next picture.
enum THookAction { haContinue, haIgnore, haStop };

// Worker thread priorities, lowest first.
enum TConvertPriority { tpIdle, tpLowest, tpLower, tpNormal };

// Engine level (-1 .. 3 and above) to the component's level.
inline TLogLevel LogLevelFromEngine(int engineLevel) {
  if (engineLevel < 0) return llQuiet;
  if (engineLevel > 3) return llAll;
  return static_cast<TLogLevel>(engineLevel + 1);
}
inline int EngineLevelFromLogLevel(TLogLevel level) { return static_cast<int>(level) - 1; }

}  // namespace velmora
