#pragma once
// The native build compiles the portable rules, and with them the meter
// record: the key table and the dialog's number rules point at its fields.
// Of the platform's header the record needs only the types of its window
// and its font description. No native code reads either member, so these
// only have to compile; the Windows builds use the platform's own header.

#include <cstdint>

struct HWND__;
using HWND = HWND__*;

#define LF_FACESIZE 32

struct LOGFONTA {
    int32_t lfHeight;
    int32_t lfWidth;
    int32_t lfEscapement;
    int32_t lfOrientation;
    int32_t lfWeight;
    uint8_t lfItalic;
    uint8_t lfUnderline;
    uint8_t lfStrikeOut;
    uint8_t lfCharSet;
    uint8_t lfOutPrecision;
    uint8_t lfClipPrecision;
    uint8_t lfQuality;
    uint8_t lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];
};
