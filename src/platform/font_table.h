#pragma once

namespace platform {

// Maps the font names that windows and report templates use (宋体, SimSun, Arial, …) to fonts
// installed with the program's packages, once for the process. Without it the choice
// depends on the locale and the installed set, and text would measure differently from
// machine to machine.
void installFontTable();

} // namespace platform
