// A private runtime folder for Qt when the session gives none.
#pragma once

#include <string>

namespace pitchwise {

// The folder PREFIX-<uid>, made if missing, when it is ours alone: a
// directory (not a link) owned by uid with no access for others.
bool MakePrivateRuntimeDir(const std::string& prefix, unsigned uid, std::string& dir);

// Sets XDG_RUNTIME_DIR to a private folder when it is unset, as it is for
// root or under a bare su: Qt would otherwise begin every run with a
// warning about it.
void ProvideRuntimeDir();

}  // namespace pitchwise
