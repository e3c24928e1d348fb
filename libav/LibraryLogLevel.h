#pragma once
// The engine counts log levels -1 (quiet) to 3 (everything); the library
// counts -8 to 56. This is the one place where the two scales meet.

namespace velmora {

// Engine level (-1 .. 3, higher values count as 3) to the library's level.
int LibraryLevelFromEngine(int engineLevel);
// Library level to the engine's level (-1 .. 3).
int EngineLevelFromLibrary(int libraryLevel);

// Sets the library log level (engine scale) when avutil is bound, then reads
// the level back into the log threshold. Does nothing while avutil is not bound.
void SetLibraryLogLevel(int engineLevel);
// The engine-scale level last read back from the library; initially 1.
int LibraryLogThreshold();

}  // namespace velmora
