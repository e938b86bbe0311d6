#!/usr/bin/python3
"""Opens the page of score entry at the tables in headless Chromium as a phone would, from the
address of a score sheet's QR code, types four scores and presses "Valider".

Arguments: the address, then the four scores. Prints the players shown, the height of the page
against the screen's, then the message of the page that answers."""

import shutil
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

url, scores = sys.argv[1], sys.argv[2:6]
profile = tempfile.mkdtemp()
options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
# As root, on a machine whose only network is this one: nothing but the page is fetched.
for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--user-data-dir=" + profile, "--window-size=390,844"):
    options.add_argument(flag)
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
try:
    driver.set_page_load_timeout(20)
    driver.get(url)
    players = [cell.text for cell in driver.find_elements(By.CSS_SELECTOR, "td:nth-child(2)")]
    print("players: " + "|".join(players))
    print("height: %d/%d" % (driver.execute_script("return document.documentElement.scrollHeight"),
                             driver.execute_script("return window.innerHeight")))
    for n, score in enumerate(scores, 1):
        driver.find_element(By.NAME, "s%d" % n).send_keys(score)
    driver.find_element(By.ID, "valider").click()
    print("message: " + driver.find_element(By.ID, "message").text)
finally:
    driver.quit()
    shutil.rmtree(profile, ignore_errors=True)
