// Composition of the encoder's command lines, the output path of a source file and the one-line
// summary of a profile. Pure text functions: no file access, no validation, no failure.
#pragma once

#include <string>

#include "main/output_profile.h"

namespace quorbit {

// outputFolder (which ends in '/'), the source's file name less its last four characters (the
// ".flv"), and the family's extension. A file name shorter than four characters leaves no base.
std::string OutputPathFor(OutputFamily family, const std::string& outputFolder,
                          const std::string& sourcePath);

// The conversion command: the quoted encoderPath, the quoted source after -i, the family's
// options taken from profile, then -y and the quoted outputPath. Values outside the option
// tables add no option; empty values are inserted as empty text.
std::string BuildCommandLine(OutputFamily family, const OutputProfile& profile,
                             const std::string& encoderPath, const std::string& sourcePath,
                             const std::string& outputPath);

// The probe command: one JPEG frame taken one second into the source, written over thumbPath.
std::string BuildProbeCommandLine(const std::string& encoderPath, const std::string& sourcePath,
                                  const std::string& thumbPath);

// The main window's one-line summary of the family's profile.
std::string FormatSummary(OutputFamily family, const OutputProfile& profile);

}  // namespace quorbit
