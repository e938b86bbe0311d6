#!/usr/bin/python3
"""Opens a page of Velmora in headless Chromium at a phone's size (390 x 844).

fill_scores.py ADDRESS FIRST S1 S2 S3 S4: the page of score entry at the tables, from the
address of a score sheet's QR code, as a player would: types FIRST, S2, S3, S4 and presses
"Valider", then puts S1 in place of FIRST and presses it again. A score written "±5" is typed
"5", then the sign key beside it is pressed. Prints the players shown, the height of the page
against the screen's, each field's keyboard, the message of the first answer with the scores
it kept, then the message of the second.

fill_scores.py deals ADDRESS DEAL...: presses each DEAL's buttons ("preneur-1+contrat-2"), then
"Ajouter une donne". Prints the first page's width, whether its choices are all buttons 44 px
high or more (no drop-down), the totals, then the message once "Valider la table" is pressed.

fill_scores.py ranking FILE: the exported ranking. Prints the width of the page against the
screen's, which of the place, name and total cells of the heading and of the last line lie
whole on the screen without overlapping, and the heading's date beside its title.

fill_scores.py room ADDRESS COUNT: COUNT screens of the room's, paging by itself.
fill_scores.py player ADDRESS KEY: a player's page from his card's address, KEY typed."""

import shutil
import sys
import tempfile

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions
from selenium.webdriver.support.ui import WebDriverWait


def arrived(driver, condition):
    """Waits for the next page: while one page replaces another, the driver may raise its own
    errors ("aborted by navigation") instead of answering; they only mean "not yet"."""
    return WebDriverWait(driver, 20, ignored_exceptions=[WebDriverException]).until(condition)


def type_score(driver, n, score):
    field = driver.find_element(By.NAME, "s%d" % n)
    field.clear()
    field.send_keys(score.lstrip("±"))
    if score.startswith("±"):
        driver.find_element(By.ID, "signe%d" % n).click()


def scores(driver, url, first, typed):
    driver.get(url)
    players = [cell.text for cell in driver.find_elements(By.CSS_SELECTOR, "td:nth-child(2)")]
    print("players: " + "|".join(players))
    print("height: %d/%d" % (driver.execute_script("return document.documentElement.scrollHeight"),
                             driver.execute_script("return window.innerHeight")))
    print("keyboard: " + "|".join(driver.find_element(By.NAME, "s%d" % n).get_attribute("inputmode")
                                  for n in range(1, 5)))
    for n, score in enumerate([first] + typed[1:], 1):
        type_score(driver, n, score)
    driver.find_element(By.ID, "valider").click()
    # The answer is a new page: on a busy machine it comes after the click returns.
    arrived(driver, expected_conditions.presence_of_element_located((By.ID, "message")))
    print("message: " + " ".join(driver.find_element(By.ID, "message").text.split()))
    print("kept: " + "|".join(driver.find_element(By.NAME, "s%d" % n).get_attribute("value")
                              for n in range(1, 5)))
    type_score(driver, 1, typed[0])
    previous = driver.find_element(By.ID, "message")
    driver.find_element(By.ID, "valider").click()
    arrived(driver, expected_conditions.staleness_of(previous))
    print("message: " + driver.find_element(By.ID, "message").text)


BUTTONS = """
const labels = [...document.querySelectorAll('.choix label')];
return [document.documentElement.scrollWidth + '/' + window.innerWidth,
        labels.length > 0 && labels.every(l => l.getBoundingClientRect().height >= 44
            && l.getBoundingClientRect().right <= window.innerWidth)
            && document.querySelectorAll('select').length === 0];
"""


def deals(driver, url, presses):
    driver.get(url)
    # Measured on the first deal's page: the last one offers no deal to add.
    width, buttons = driver.execute_script(BUTTONS)
    for played, deal in enumerate(presses, 1):
        for name in deal.split("+"):
            button = driver.find_element(By.CSS_SELECTOR, "label[for='%s']" % name)
            driver.execute_script("arguments[0].scrollIntoView({block: 'center'})", button)
            button.click()
        driver.find_element(By.ID, "ajouter").click()
        # The grid one deal longer.
        arrived(driver,
                lambda d: d.find_element(By.ID, "compte").text.startswith("%d donne" % played))
    print("width: %s" % width)
    print("buttons: %s" % str(buttons).lower())
    print("totals: " + "|".join(cell.text for cell in
                                driver.find_elements(By.CSS_SELECTOR, "#totaux td")[1:]))
    driver.find_element(By.ID, "valider").click()
    arrived(driver,
            lambda d: not d.find_elements(By.ID, "totaux") and d.find_element(By.ID, "message"))
    print("message: " + driver.find_element(By.ID, "message").text)


MEASURE = """
const width = window.innerWidth;
const box = e => e.getBoundingClientRect();
const rows = [document.querySelector('thead tr'), document.querySelector('tbody tr:last-child')];
const seen = rows.map(row => {
    const [place, nom, total] = ['.place', '.nom', '.total'].map(c => box(row.querySelector(c)));
    return place.left >= 0 && place.right <= nom.left + 0.5 && nom.right <= total.left + 0.5
        && total.right <= width + 0.5;
});
const h1 = box(document.querySelector('header h1'));
const date = document.querySelector('header .date');
return ['width: ' + document.documentElement.scrollWidth + '/' + width,
        'in sight: ' + seen.join('|'),
        'heading: ' + document.querySelector('header h1').textContent + ' ' + date.textContent
            + (box(date).top < h1.bottom && box(date).left >= h1.right ? ' (beside)' : ' (apart)')];
"""


def room(driver, url, count):
    driver.get(url)
    for _ in range(count):
        page = driver.find_element(By.ID, "page")
        names = driver.find_elements(By.CSS_SELECTOR, "#tables li")
        print("screen: %s | %s | %d" % (page.text.split(" · ")[0],
                                        " ".join(names[0].text.split()) if names else "",
                                        len(names)))
        # The next screen comes by itself.
        arrived(driver, expected_conditions.staleness_of(page))
        arrived(driver, expected_conditions.presence_of_element_located((By.ID, "page")))


def player(driver, url, key):
    driver.get(url)
    print("number: " + driver.find_element(By.NAME, "numero").get_attribute("value"))
    driver.find_element(By.NAME, "cle").send_keys(key)
    driver.find_element(By.ID, "afficher").click()
    arrived(driver, expected_conditions.presence_of_element_located((By.ID, "joueur")))
    print("player: " + driver.find_element(By.ID, "joueur").text)
    print("tables: " + "|".join(e.text for e in driver.find_elements(By.CSS_SELECTOR, "h2 + p")))


def ranking(driver, path):
    driver.get("file://" + path)
    for line in driver.execute_script(MEASURE):
        print(line)


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
    # Headless, the window cannot be narrower than 500 px: the phone's screen is emulated.
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True})
    if sys.argv[1] == "ranking":
        ranking(driver, sys.argv[2])
    elif sys.argv[1] == "room":
        room(driver, sys.argv[2], int(sys.argv[3]))
    elif sys.argv[1] == "player":
        player(driver, sys.argv[2], sys.argv[3])
    elif sys.argv[1] == "deals":
        deals(driver, sys.argv[2], sys.argv[3:])
    else:
        scores(driver, sys.argv[1], sys.argv[2], sys.argv[3:7])
finally:
    driver.quit()
    shutil.rmtree(profile, ignore_errors=True)
