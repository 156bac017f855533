// From the text of a path, as dialogs and edits hold it, back to the bytes of the file.
#pragma once

#include <string>

#include <QString>

namespace quorbit {

// The bytes of the path, as QFile::encodeName gives them. A name whose bytes are not valid
// UTF-8 does not survive the trip through a QString: each bad byte comes back as U+FFFD and
// the encoded path names nothing. Such a path is looked up again, one name at a time, among
// the entries of its folder whose decoded text is that name; it is kept as encoded when no
// entry or more than one matches.
std::string LocalPath(const QString& path);

}  // namespace quorbit
