// The window class of the library's own windows (forms, panels, pages).
#pragma once

namespace vpr::forms {

constexpr const char* kContainerClass = "VprFormsContainer";
// Registers the class once; its name.
const char* ContainerClassName();

}  // namespace vpr::forms
