#!/usr/bin/env bash
# The desktop's application menu with the installed menu entry and icon:
# the build tree is installed into a staging directory, and an XDG menu
# (jgmenu over the freedesktop menu files) on a virtual screen reads it.
#
#   scripts/lib/menu-screenshot.sh BUILD_DIR OUT.png
set -euo pipefail
build=$1 out=$2
for tool in jgmenu jgmenu_run xwd xwdtopnm pnmcut pnmtopng xsetroot xvfb-run; do
  command -v "$tool" >/dev/null || { echo "menu screenshot: skipped ($tool is missing)"; exit 0; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
DESTDIR=$work/stage cmake --install "$build" >/dev/null
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
export XDG_DATA_DIRS=$work/stage/usr/share:/usr/share XDG_MENU_PREFIX=lxde-
mkdir -p "$XDG_CONFIG_HOME/jgmenu"
cat >"$XDG_CONFIG_HOME/jgmenu/jgmenurc" <<'RC'
position_mode = fixed
menu_margin_x = 20
menu_margin_y = 20
menu_valign = top
menu_width = 240
item_height = 30
icon_size = 24
font = Sans 11
icon_theme = hicolor
menu_border = 1
color_menu_bg = #f6f6f6 100
color_menu_border = #9a9a9a 100
color_norm_fg = #202020 100
color_sel_bg = #2b5d8c 100
color_sel_fg = #ffffff 100
color_sep_fg = #9a9a9a 100
color_title_fg = #202020 100
color_title_bg = #e4e9ee 100
color_title_border = #e4e9ee 100
sep_markup = weight="bold"
RC
# The Office section of the menu, as the menu module lists it.
{
  echo "^sep(Office)"
  jgmenu_run apps | sed -n '/^\^tag(apps-dir-Office)/,/^$/p' | sed '1d;/^$/d'
} >"$work/menu.csv"
grep -q '^Zentrope' "$work/menu.csv" || { echo "menu screenshot: the menu has no Zentrope entry" >&2; exit 1; }

xvfb-run -a -s "-noreset -screen 0 400x200x24" sh -c '
  xsetroot -solid "#3d6a94"
  jgmenu --csv-file="$1" >/dev/null 2>&1 &
  sleep 2
  xwd -root | xwdtopnm 2>/dev/null | pnmcut -left 0 -top 0 -width 300 -height 120 | pnmtopng >"$2"
  kill $!
' sh "$work/menu.csv" "$out"
echo "menu screenshot: wrote $out"
