#!/usr/bin/python3
"""Pictures of the pages served to the players, for the README and the help.

page_shots.py ADDRESS NUMBER KEY FOLDER: with score entry at the tables started at ADDRESS
("http://127.0.0.1:8080/") and the live ranking published, takes in headless Chromium at a
phone's size the page of player NUMBER opened with his KEY (page-joueur.png) and the live
ranking (page-classement.png), then the room's screen at a television's size
(ecran-de-la-salle.png)."""

import shutil
import subprocess
import sys
import tempfile

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions
from selenium.webdriver.support.ui import WebDriverWait

address, number, key, folder = sys.argv[1:5]


def save(driver, name, scale="50%"):
    # Small files: the colours reduced as for the program's windows.
    png = driver.get_screenshot_as_png()
    subprocess.run(["convert-im6.q16", "-", "-strip", "-resize", scale, "-colors", "96",
                    "PNG8:%s/%s.png" % (folder, name)], input=png, check=True)


profile = tempfile.mkdtemp()
options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--hide-scrollbars", "--user-data-dir=" + profile, "--window-size=1280,720"):
    options.add_argument(flag)
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
try:
    driver.set_page_load_timeout(20)
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": 390, "height": 844, "deviceScaleFactor": 2, "mobile": True})
    driver.get(address + "joueur?numero=" + number)
    driver.find_element(By.NAME, "cle").send_keys(key)
    driver.find_element(By.ID, "afficher").click()
    # While the answer replaces the form, the driver may raise "aborted by navigation": not yet.
    WebDriverWait(driver, 20, ignored_exceptions=[WebDriverException]).until(
        expected_conditions.presence_of_element_located((By.ID, "joueur")))
    save(driver, "page-joueur")
    driver.get(address + "classement")
    save(driver, "page-classement")
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": 1280, "height": 720, "deviceScaleFactor": 1, "mobile": False})
    driver.get(address + "salle")
    save(driver, "ecran-de-la-salle", "75%")
finally:
    driver.quit()
    shutil.rmtree(profile, ignore_errors=True)
