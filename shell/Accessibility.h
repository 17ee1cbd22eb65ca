// What a screen reader hears: the holes by number and content, the windows by their roles.
#pragma once

namespace hop::shell {

// Installed once, before the first screen is built.
void installAccessibility();

} // namespace hop::shell
