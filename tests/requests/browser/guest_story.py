#!/usr/bin/env python3
"""A guest signs up for a song from a phone-sized headless Chromium.

The real player serves the request page on 127.0.0.1 with a small song
library scanned from the demo songs; a demo song plays (over MPRIS when a
session bus is there). The guest enters the code, searches, asks for a song
two semitones up and sees it pending; the host accepts (a second start of
the player hands "--accept-requests" to the running one, which accepts as the
Host window's "Accept all" does); the guest's page then shows the place.
A screenshot of the page is kept as requests-guest.png.

usage: guest_story.py PLAYER CBX DEMO_DIR OUT_DIR
Exits 77 (skipped) when Chromium, its driver or selenium are missing.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
START_SECONDS = 90  # a sanitizer build starts slowly
PHONE = (390, 844)
SONG = "Mary Had a Little Lamb.wav"


def skip(why):
    print("skipped: " + why)
    sys.exit(SKIP)


try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    skip("python3-selenium is not installed")


def player_env(home):
    env = dict(os.environ)
    runtime = os.path.join(home, "runtime")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    env.update({
        "HOME": home,
        "XDG_CONFIG_HOME": os.path.join(home, "config"),
        "XDG_DATA_HOME": os.path.join(home, "data"),
        "XDG_CACHE_HOME": os.path.join(home, "cache"),
        "XDG_RUNTIME_DIR": runtime,
        "QT_QPA_PLATFORM": "offscreen",
        "SDL_AUDIODRIVER": "dummy",
    })
    return env


def read_address(player):
    deadline = time.time() + START_SECONDS
    while time.time() < deadline:
        line = player.stdout.readline()
        if not line:
            break
        match = re.match(r"Requests: (http://\S+) code (\S+)", line)
        if match:
            return match.group(1), match.group(2)
    raise SystemExit("the player printed no request address")


def mpris(env, *args):
    command = ["gdbus", "call", "--session", "--dest", "org.mpris.MediaPlayer2.cantabilex",
               "--object-path", "/org/mpris/MediaPlayer2"] + list(args)
    done = subprocess.run(command, env=env, capture_output=True, text=True, timeout=20)
    return done.stdout if done.returncode == 0 else None


def play_demo(env, demo):
    """Plays a demo song over the session bus; False when there is none."""
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS") or not shutil.which("gdbus"):
        return False
    uri = "file://" + os.path.join(demo, SONG).replace(" ", "%20")
    for _ in range(40):  # the player publishes itself once its windows are up
        if mpris(env, "--method", "org.mpris.MediaPlayer2.Player.OpenUri", uri) is not None:
            break
        time.sleep(0.5)
    mpris(env, "--method", "org.mpris.MediaPlayer2.Player.Play")
    status = mpris(env, "--method", "org.freedesktop.DBus.Properties.Get",
                   "org.mpris.MediaPlayer2.Player", "PlaybackStatus")
    return bool(status) and "Playing" in status


def browser():
    chromium, driver = shutil.which("chromium"), shutil.which("chromedriver")
    if not chromium or not driver:
        skip("chromium or chromium-driver is not installed")
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--window-size=%d,%d" % PHONE, "--lang=en-US"):
        options.add_argument(flag)
    options.add_experimental_option("mobileEmulation", {
        "deviceMetrics": {"width": PHONE[0], "height": PHONE[1], "pixelRatio": 2.0}})
    return webdriver.Chrome(service=Service(driver), options=options)


def guest_story(page, address, code, player, env, out):
    wait = WebDriverWait(page, 30)
    page.get(address)
    field = wait.until(lambda d: d.find_element(By.ID, "code"))
    field.send_keys(code)
    page.find_element(By.ID, "join").click()
    search = wait.until(lambda d: d.find_element(By.ID, "search"))
    wait.until(lambda d: search.is_displayed())
    search.send_keys("lamb")
    result = wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#results li"))
    assert "Lamb" in result[0].text, result[0].text
    buttons = result[0].find_elements(By.TAG_NAME, "button")
    (buttons[0] if buttons else result[0]).click()
    name = wait.until(lambda d: d.find_element(By.ID, "name"))
    wait.until(lambda d: name.is_displayed())
    name.send_keys("Zoe <script>alert(1)</script>")
    Select(page.find_element(By.ID, "key")).select_by_value("2")
    page.find_element(By.ID, "send").click()
    wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#mine li[data-state='pending']"))
    mine = page.find_element(By.ID, "mine").text
    assert "<script>" in mine, mine  # the guest's markup is shown as text
    # The host accepts: a second start hands the command to the running player.
    accepted = subprocess.run([player, "--accept-requests"], env=env, timeout=30)
    assert accepted.returncode == 0, "the running player did not take the command"
    item = wait.until(lambda d: d.find_elements(
        By.CSS_SELECTOR, "#mine li[data-state='accepted']"))
    place = item[0].find_element(By.CSS_SELECTOR, ".place").text
    assert place.strip(), "no place shown: " + item[0].text
    page.save_screenshot(os.path.join(out, "requests-guest.png"))
    shown = item[0].text
    # A new guest scans the QR code, whose address carries the code: no typing.
    page.execute_script("localStorage.clear()")
    page.get(address + "?code=" + code)
    search = wait.until(lambda d: d.find_element(By.ID, "search"))
    wait.until(lambda d: search.is_displayed())
    assert "code=" not in page.current_url, page.current_url
    return shown


def main():
    if len(sys.argv) != 5:
        raise SystemExit(__doc__)
    player, cbx, demo, out = sys.argv[1:]
    page = browser()  # skips before anything starts when Chromium is missing
    with tempfile.TemporaryDirectory() as home:
        env = player_env(home)
        subprocess.run([cbx, "library", "scan", demo], env=env, check=True,
                       capture_output=True, timeout=120)
        process = subprocess.Popen(
            [player, "--requests", "0", "--requests-address", "127.0.0.1"],
            env=env, stdout=subprocess.PIPE, text=True)
        try:
            address, code = read_address(process)
            playing = play_demo(env, demo)
            print("page %s, code %s, song playing: %s" % (address, code, playing))
            shown = guest_story(page, address, code, player, env, out)
            print("the guest's page shows: " + shown.replace("\n", " | "))
        finally:
            page.quit()
            process.send_signal(signal.SIGTERM)
            try:
                code = process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                process.kill()
                raise SystemExit("the player did not end on SIGTERM")
        if code != 0:
            raise SystemExit("the player ended with %d" % code)
    print("ok")


if __name__ == "__main__":
    main()
