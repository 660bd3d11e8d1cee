// The framework's custom controls: one start-up call registers them and adds the icon font.
#pragma once

#include <windows.h>

#include "LabelMessages.h"
#include "SplitterMessages.h"

namespace Dorn32 {
namespace Windows {

// The icon font, resource type "BINARY", in the program file.
constexpr int IDR_DORN_ICONFONT = 101;

// Registers "Link", "Text" and "Splitter" and adds the icon font to this process. Always returns 0.
int RegisterCustomControls();

}  // namespace Windows
}  // namespace Dorn32
