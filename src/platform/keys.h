// The virtual-key codes of the keys the program acts on, as the window reports them (Windows'
// VK_ codes): the jog keys, and those of the keyboard that the window itself handles.
#pragma once

namespace tarvel::key {

constexpr int kBackspace = 0x08;
constexpr int kTab = 0x09;
constexpr int kEnter = 0x0D;
constexpr int kShift = 0x10;
constexpr int kSpace = 0x20;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kNumpadPlus = 0x6B;  // the numeric keypad's + and −; the main keyboard's do not jog
constexpr int kNumpadMinus = 0x6D;
constexpr int kPacket = 0xE7;  // a character with no key of its own (Cyrillic, symbols)

}  // namespace tarvel::key
