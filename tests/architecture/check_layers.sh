#!/usr/bin/env bash
# Fails when a layer includes from a layer above it, or when the core reaches for Qt it must not use:
# only the windows may use Qt Widgets, and the protocol and simulator cores use no Qt at all.
set -u
root=${1:-.}
cd "$root/src" || exit 2
fail=0

allowed() {  # layer -> layers it may include from (besides itself)
  case "$1" in
    protocol) echo "" ;;
    sim) echo "protocol" ;;
    transport) echo "protocol" ;;
    memmap|points|options|config|transfer) echo "protocol transport memmap points options config transfer" ;;
    cli) echo "protocol transport memmap points options config transfer sim" ;;
    ui) echo "protocol transport memmap points options config transfer sim" ;;
    app) echo "protocol transport memmap points options config transfer sim ui cli" ;;
    *) echo "" ;;
  esac
}

for dir in */; do
  layer=${dir%/}
  ok=" $layer $(allowed "$layer") "
  while IFS= read -r line; do
    file=${line%%:*}
    inc=$(sed -E 's/.*#include +"([a-z_]+)\/.*/\1/' <<<"$line")
    if [[ "$ok" != *" $inc "* ]] && [ -d "$inc" ]; then
      echo "layering: $file includes from $inc/, which $layer/ may not use"
      fail=1
    fi
  done < <(grep -rHE '^#include +"[a-z_]+/' "$layer" 2>/dev/null)

  case "$layer" in
    protocol|sim)
      if grep -rnE '^#include +<Q' "$layer"; then
        echo "layering: $layer/ must not include Qt"
        fail=1
      fi ;;
    ui|app) ;;
    *)
      if grep -rnE '^#include +<(QtWidgets|QWidget|QMainWindow|QDialog|QMessageBox|QInputDialog|QApplication|QAction|QMenu|QLabel|QPushButton|QLineEdit|QTextEdit|QPlainTextEdit|QFileDialog)' "$layer"; then
        echo "layering: $layer/ must not use Qt Widgets"
        fail=1
      fi ;;
  esac
done

[ $fail -eq 0 ] && echo "layering: ok"
exit $fail
