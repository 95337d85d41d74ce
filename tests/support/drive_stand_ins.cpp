#include "support/drive_stand_ins.h"

#include <cstdlib>

namespace korvane::test {

DriveStandIns::DriveStandIns(const TempDir& dir, const std::vector<std::pair<std::string, Bytes>>& files) {
  std::string list;
  for (const auto& [name, bytes] : files) {
    paths.push_back(dir.Write(name, bytes));
    list += (list.empty() ? "" : ":") + paths.back();
  }
  ::setenv("KORVANE_DRIVES", list.c_str(), 1);
}

DriveStandIns::~DriveStandIns() { ::unsetenv("KORVANE_DRIVES"); }

DriveEnvironment StandInEnv(const std::string& path) {
  DriveEnvironment env;
  env.sysBlock = "/nonexistent";
  env.mountInfo = "/nonexistent";
  env.standInsGiven = true;
  env.standIns = {path};
  return env;
}

DriveDevice StandInDevice(const std::string& path, char letter) {
  DriveDevice d;
  d.letter = letter;
  d.path = path;
  d.standIn = true;
  return d;
}

CardLayout TwoVolumeCard() {
  CardLayout layout;
  layout.volumes = {DiskBuilder::Dssd("CARDONE").Add(DisVarFile("README", 80, {"HI"})).Build(),
                    FormattedVolume("CARDTWO")};
  layout.extraSectors = 5;
  layout.mount = true;
  layout.mounted = {2, 1, 0};
  return layout;
}

Bytes Slice(const Bytes& b, size_t from, size_t length) {
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(from + length));
}

}  // namespace korvane::test
