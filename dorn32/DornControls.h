// The framework's custom controls: one start-up call registers them and adds the icon font.
#pragma once

#include <windows.h>

#include "LabelMessages.h"
#include "SplitterMessages.h"

namespace Dorn32 {
namespace Windows {

// The icon font, resource type "BINARY", in the program file.
constexpr int IDR_DORN_ICONFONT = 101;

// Registers "Link", "Text" and "Splitter" and adds the icon font to this process. Returns 0 when
// the three classes are there (a second call finds them), else the error code of the first that is not.
int RegisterCustomControls();

}  // namespace Windows
}  // namespace Dorn32
