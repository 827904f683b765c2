#!/bin/sh
# Lets the Wine prefix in WINEPREFIX draw Chinese text in the program's
# dialog fonts, as Windows does through its own font links: the fonts it uses
# fall back to WenQuanYi Micro Hei (Debian's fonts-wqy-microhei). Once per
# prefix.
#   link-fonts.sh
[ -f "$WINEPREFIX/velkor-fonts" ] && exit 0
for face in Tahoma Verdana Arial "MS Shell Dlg" "MS Shell Dlg 2"; do
  /usr/lib/wine/wine64 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f </dev/null >/dev/null 2>&1
done
touch "$WINEPREFIX/velkor-fonts"
