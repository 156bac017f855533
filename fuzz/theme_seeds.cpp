// Writes the theme fuzzer's seeds into the folder given: themes made by the tests' theme
// writer, plain and encrypted, and bare skin data.
#include <fstream>
#include <iostream>
#include <string>

#include "theme_writer.h"

namespace tw = theme_writer;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: theme_seeds folder\n";
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(folder + name, std::ios::binary) << bytes;
  };
  tw::ZipOptions locked;
  locked.password = "orange";
  tw::ZipOptions described = locked;
  described.dataDescriptor = true;
  tw::ZipOptions crowded;
  crowded.otherMembers = {{"readme.txt", "a theme"}};
  crowded.memberName = "skindata.sk2";
  write("orange.ssk", tw::Theme(tw::OrangeEntries()));
  write("orange-locked.ssk", tw::Theme(tw::OrangeEntries(), locked));
  write("orange-described.ssk", tw::Theme(tw::OrangeEntries(), described));
  write("crowded.ssk", tw::Theme({tw::Integer("SKIN2_FORMCOLOR", 0xe0f1ff)}, crowded));
  write("orange.sk2", tw::SkinData(tw::OrangeEntries()));
  write("small.sk2", tw::SkinData({tw::Byte("SKIN2_BUTTONTRANS", 1), tw::Text("T", "x")}));
  return 0;
}
