#pragma once

#include <QStringList>
#include <string>
#include <vector>

namespace kelvara::platform {

// Font families as a user knows them: where several foundries make a family, the font
// database lists it once per foundry ("C059 [UKWN]", "C059 [urw]"); here it is listed
// once, by its plain name, in the first place it had.
std::vector<std::string> distinctFamilyNames(const QStringList& families);

} // namespace kelvara::platform
