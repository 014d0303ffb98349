#pragma once
// The window's 25 controls as the user meets them, in creation order, in
// units of 96 DPI: the black-box suite checks the running program against
// them at several display scales, the in-process suite the window it builds.
#include <windows.h>

#include <string>

#include "main/controls.h"

inline const std::u16string kVlc = u"c:\\programme\\videolan\\vlc\\vlc.exe";
inline const std::u16string kFfmpeg = u"c:\\programme\\videolan\\vlc\\ffmpeg.exe";
inline const std::u16string kRtmpdump = u"c:\\programme\\videolan\\vlc\\rtmpdump.exe";

enum class Kind { label, field, button, frame, list };

struct ControlRow {
    int id;
    Kind kind;
    int x, y, width, height;
    std::u16string text;  // caption, or initial content on a first start
};

// In creation order.
inline const ControlRow kControlTable[] = {
    {VlcPathLabel, Kind::label, 20, 23, 150, 18, u"Pfad zur vlc.exe :"},
    {VlcPathField, Kind::field, 150, 20, 530, 20, kVlc},
    {VlcBrowseButton, Kind::button, 700, 20, 80, 20, u"suchen"},
    {FfmpegPathLabel, Kind::label, 20, 53, 150, 18, u"Pfad zur ffmpeg.exe :"},
    {FfmpegPathField, Kind::field, 150, 50, 530, 20, kFfmpeg},
    {FfmpegBrowseButton, Kind::button, 700, 50, 80, 20, u"suchen"},
    {RtmpdumpPathLabel, Kind::label, 20, 83, 150, 18, u"Pfad zur rtmpdump.exe :"},
    {RtmpdumpPathField, Kind::field, 150, 80, 530, 20, kRtmpdump},
    {RtmpdumpBrowseButton, Kind::button, 700, 80, 80, 20, u"suchen"},
    {ToolsFrame, Kind::frame, 10, 10, 780, 100, u""},
    {StreamFrame, Kind::frame, 10, 115, 780, 385, u""},
    {AddressLabel, Kind::label, 20, 130, 200, 18, u"Live Stream Adresse :"},
    {AddressField, Kind::field, 20, 150, 730, 20, u""},
    {ClearAddressButton, Kind::button, 760, 150, 20, 20, u"X"},
    {TestButton, Kind::button, 20, 175, 505, 30, u"testen"},
    {ClipboardButton, Kind::button, 530, 175, 250, 30, u"Zwischenablage"},
    {LoadLinksButton, Kind::button, 20, 215, 250, 25, u"Datei mit Links zeilenweise einlesen"},
    {NextLinkButton, Kind::button, 275, 215, 250, 25, u"nach unten"},
    {PreviousLinkButton, Kind::button, 530, 215, 250, 25, u"nach oben"},
    {LinkList, Kind::list, 20, 250, 760, 240, u""},
    {CacheLabel, Kind::label, 510, 130, 90, 18, u"VLC Cache / kB :"},
    {CacheField, Kind::field, 610, 125, 70, 20, u"1000"},
    {VlcOffButton, Kind::button, 700, 125, 80, 20, u"VLC aus"},
    {HomepageButton, Kind::button, 10, 505, 80, 40, u"Kanalbox"},
    {DownloadButton, Kind::button, 110, 505, 80, 40, u"dump dnld"},
};

// A control's place at `dpi`: each value scaled as MulDiv rounds.
inline RECT scaled_rect(const ControlRow& row, int dpi) {
    const int x = MulDiv(row.x, dpi, 96), y = MulDiv(row.y, dpi, 96);
    return {x, y, x + MulDiv(row.width, dpi, 96), y + MulDiv(row.height, dpi, 96)};
}

// A control's rectangle in its window's client coordinates.
inline RECT placed_rect(HWND window, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
