#pragma once
// The names and numbers under which the IDEs find the add-in: its class, its ProgID and its
// description, and the interfaces they call it through.

#include <windows.h>

#include <string_view>

namespace brindle::dll {

inline constexpr std::wstring_view kProgId = L"VBBrindle.Brindle";
inline constexpr std::wstring_view kDescription = L"Visual Basic Brindle";
// {08C9F92E-DE4B-47BC-AAB8-EB040F4B07BC}: the class Brindle; fixed, as registrations and the
// IDEs' add-in lists hold it.
inline constexpr std::wstring_view kClsidText = L"{08C9F92E-DE4B-47BC-AAB8-EB040F4B07BC}";
inline constexpr CLSID kClsid = {
    0x08C9F92E, 0xDE4B, 0x47BC, {0xAA, 0xB8, 0xEB, 0x04, 0x0F, 0x4B, 0x07, 0xBC}};

// IDTExtensibility2 of the add-in designer library, which the VBA editor and Office call.
inline constexpr IID kIidExtensibility2 = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};
// The VB6 IDE's own older IDTExtensibility, of its extensibility library.
inline constexpr IID kIidExtensibilityVb6 = {
    0x0002E151, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace brindle::dll
