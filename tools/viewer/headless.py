"""Headless Chromium for the viewer's browser tests and benchmark: Debian's
chromium, chromium-driver and python3-selenium (tools/ci/install-browser.sh)."""
import shutil
import tempfile

try:
    from selenium import webdriver
except ImportError:
    webdriver = None

# What is missing to drive the browser, as Debian package names.
MISSING = [name for name, ok in (("python3-selenium", webdriver), ("chromium", shutil.which("chromium")),
                                 ("chromium-driver", shutil.which("chromedriver"))) if not ok]


def chromium(width, height):
    """A headless Chromium that runs as root, with a new empty profile and
    none of its own traffic (updates, sync, QUIC)."""
    options = webdriver.ChromeOptions()
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 f"--window-size={width},{height}", "--user-data-dir=" + tempfile.mkdtemp(prefix="tkdec-chromium-")):
        options.add_argument(flag)
    return webdriver.Chrome(options=options)
