// Which publishers may sign the upgrader the launcher starts: the simple display
// names of their code-signing certificates, fixed when the launcher is built.
#pragma once

#include <string>

// True when the signer's name is one of the pinned names, a list separated by
// ";" (two names carry a release over a certificate change). A name must match
// exactly, case included; blanks around a list item are not part of it, and
// empty items pin nothing, so an empty list lets no signer through.
bool IsPinnedSigner(const std::wstring& signerName, const std::wstring& pinnedNames);
