#pragma once
// Where the General MIDI soundfont is looked for: Debian's fonts, under the data
// directories of $XDG_DATA_DIRS.

#include <string>
#include <vector>

namespace fw {

// The soundfonts looked for, in order of preference: Debian's General MIDI fonts as
// sounds/sf2/<file> in the data directories of $XDG_DATA_DIRS.
std::vector<std::string> defaultSoundfonts();

// The same for a given value of XDG_DATA_DIRS (nullptr: unset). For each file name, in
// order of preference, one path per data directory, in the variable's order: the
// preferred font wins wherever it is installed. Empty and relative entries are ignored
// (freedesktop's rule); a value with no absolute entry means the default,
// /usr/local/share:/usr/share.
std::vector<std::string> soundfontsIn(const char* xdgDataDirs);

// The folders of the paths, each once, in the paths' order: shorter to read than every
// file name looked for.
std::vector<std::string> soundfontFolders(const std::vector<std::string>& paths);

bool isSoundfontFile(const std::string& path);

// The first of the paths that is a directory, or "": where a font should be, a folder
// stands (an unpacking gone wrong), which "not found" would hide.
std::string directoryAmong(const std::vector<std::string>& paths);

// When the file is a RIFF file that ends before its header says it does (a download or
// copy cut off), what to tell the user: "cut short: N of its M bytes"; else empty.
std::string cutShort(const std::string& path);

}  // namespace fw
