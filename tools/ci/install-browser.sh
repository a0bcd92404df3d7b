#!/usr/bin/env bash
# Installs what the viewer's browser tests need: headless Chromium, its
# WebDriver and the Selenium bindings for Python.
exec bash "$(dirname "$0")/install-packages.sh" chromium chromium-driver python3-selenium
