#!/bin/sh
# Makes the ja_JP.UTF-8 locale available, so that Wine started with
# LANG=ja_JP.UTF-8 uses code page 932 as its ANSI code page.
# Needs root on Debian (the `locales` package); does nothing when the
# locale is there already.
set -eu

have_locale() {
    locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'
}

if have_locale; then
    exit 0
fi
if [ "$(id -u)" != 0 ]; then
    echo "setup-wine-locale: ja_JP.UTF-8 is missing and only root can generate it" >&2
    exit 1
fi
if [ ! -f /etc/locale.gen ]; then
    echo "setup-wine-locale: /etc/locale.gen not found; install Debian's 'locales' package" >&2
    exit 1
fi
if ! grep -q '^ja_JP.UTF-8' /etc/locale.gen; then
    sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
fi
locale-gen >/dev/null
have_locale
