"""The program as a screen-reader user meets it: through the accessibility bus alone.

Run by a11y_test.sh on a private session bus, the accessibility bus and a virtual display,
with the program already started. Walks every calculator and the about dialog, checks roles,
names, units, relations and that hidden controls are absent, drives the sliders and option
buttons through their accessible interfaces, and compares the read-outs with what the scenario
runner says of the same actions.
"""

import json
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

RUNNER = sys.argv[1]
FAILURES = []


def check(condition, what):
    if not condition:
        FAILURES.append(what)
        print("FAIL: " + what, flush=True)


def wait_for(fn, timeout=20.0, what="something"):
    end = time.time() + timeout
    while time.time() < end:
        value = fn()
        if value:
            return value
        time.sleep(0.1)
    raise SystemExit("timed out waiting for " + what)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == "Pernadas":
            return app
    return None


def window(name):
    app = application()
    if app is None:
        return None
    for w in app:
        if w is not None and w.name == name and w.getState().contains(pyatspi.STATE_SHOWING):
            return w
    return None


def descendants(node):
    out = []
    for child in node:
        if child is None:
            continue
        out.append(child)
        out.extend(descendants(child))
    return out


def by(node, role, name):
    for d in descendants(node):
        if d.getRole() == role and d.name == name:
            return d
    return None


def press(node, role, name):
    target = by(node, role, name)
    if target is None:
        raise SystemExit("no control named %r to press" % name)
    action = target.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("Press") if "Press" in names else 0)


def text_of(node):
    t = node.queryText()
    return t.getText(0, t.characterCount)


def labels(node):
    out = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            out += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return out


HEARD = []


def listen(event):
    """What the program gives a screen reader to say: a notice that shows."""
    if event.detail1 and event.source is not None and \
            event.source.getRole() == pyatspi.ROLE_NOTIFICATION:
        HEARD.append(event.source.name)


def pump(seconds):
    """Lets the events the program sends in that time arrive."""
    context = GLib.MainContext.default()
    end = time.time() + seconds
    while time.time() < end:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def replay(lines):
    result = subprocess.run([RUNNER], input="\n".join(lines) + "\n", capture_output=True,
                            text=True, check=False)
    return json.loads(result.stdout.strip().splitlines()[-1])


# The read-outs of each calculator, by their accessible names: the name, never the drawing's
# letter beside the read-out, is what a reader calls them.
READOUTS = {
    "frmduaspernas": {"txtperna": ("Comprimento da Pernada", "metros"),
                      "txtaltura": ("Altura Argolão/Carga", "metros"),
                      "txtlcarga": ("Comprimento da carga", "metros"),
                      "txtangsup": ("Ângulo superior", "graus"),
                      "txtanginf": ("Ângulo inferior", "graus")},
    "frmtrespernas": {"txtperna": ("Comprimento da Pernada", "metros"),
                      "txtaltura": ("Altura Argolão/Carga", "metros"),
                      "txtdiam": ("Diâmetro da peça", "metros"),
                      "txtlcarga": ("Distância entre Pernadas", "metros"),
                      "txtangsup": ("Ângulo superior", "graus"),
                      "txtanginf": ("Ângulo inferior", "graus")},
    "frmquatropernas": {"txtperna": ("Comprimento da Pernada", "metros"),
                        "txtaltura": ("Altura Argolão/Carga", "metros"),
                        "txtccarga": ("Comprimento", "metros"),
                        "txtlcarga": ("Largura", "metros"),
                        "txtangsup": ("Ângulo superior", "graus"),
                        "txtanginf": ("Ângulo inferior", "graus")},
}
CAPTIONS = {"frmduaspernas": "Duas Pernadas", "frmtrespernas": "Três Pernadas",
            "frmquatropernas": "Quatro Pernadas"}
BUTTONS = {"frmduaspernas": "2 Pernadas", "frmtrespernas": "3 Pernadas",
           "frmquatropernas": "4 Pernadas"}
SLIDERS = {"frmduaspernas": ["Comprimento da Pernada", "Carga (medida a introduzir)"],
           "frmtrespernas": ["Comprimento da Pernada", "Carga (medida a introduzir)"],
           "frmquatropernas": ["Comprimento", "Largura", "Comprimento da Pernada"]}
# The labels a reader finds, by their text: one lying wholly under a frame is never seen, and is
# not there (the "L" and "Mts" under the two-leg load frame, the "l" under the four-leg one).
SHOWN_LABELS = {"frmduaspernas": {"L": 1, "Mts": 3}, "frmquatropernas": {"l": 0}}
LOAD = {"frmduaspernas": ("hsblcarga", "Carga (medida a introduzir)", 200),
        "frmtrespernas": ("hsblcarga", "Carga (medida a introduzir)", 200),
        "frmquatropernas": ("hsbccarga", "Comprimento", 300)}


BOUNDARIES = {"character": pyatspi.TEXT_BOUNDARY_CHAR, "word": pyatspi.TEXT_BOUNDARY_WORD_START,
              "sentence": pyatspi.TEXT_BOUNDARY_SENTENCE_START,
              "line": pyatspi.TEXT_BOUNDARY_LINE_START}


def texts_answer(where, node):
    """Every question a reader asks a text, at every offset, answered at once and rightly: the
    unit at, before and after each offset, which meet end to end, and the run of attributes
    that holds it; the line a reader puts together from the runs is the text."""
    text = node.queryText()
    whole = text.getText(0, -1)
    n = len(whole)
    what = "%s: %s %r" % (where, node.name, whole)
    try:
        for kind, boundary in BOUNDARIES.items():
            for at in range(n + 1):
                unit, start, end = text.getTextAtOffset(at, boundary)
                last = at == n and end == n and (kind == "character" or start < end or not n)
                before = text.getTextBeforeOffset(at, boundary)
                after = text.getTextAfterOffset(at, boundary)
                check(unit == whole[start:end] and (start <= at < end or last) and
                      before[0] == whole[before[1]:before[2]] and
                      (before[2] == start or before[1] == before[2] == 0) and
                      after[0] == whole[after[1]:after[2]] and
                      (after[1] == end or after[1] == after[2] == n),
                      "%s: the %s at %d is %r, before %r, after %r" %
                      (what, kind, at, (unit, start, end), before, after))
        line, at = "", 0
        while at < n:
            _, start, end = text.getAttributeRun(at, False)
            check(start <= at < end, "%s: the attributes at %d run %d-%d" % (what, at, start, end))
            line, at = line + whole[at:max(end, at + 1)], max(end, at + 1)
        check(line == whole and text.getAttributeRun(n, False)[2] == n,
              "%s: read by its runs as %r" % (what, line))
    except GLib.Error as error:
        check(False, "%s: a question went unanswered (%s)" % (what, error.message))


def readouts_match(form, frame, script):
    expected = replay(script + ["dump " + form])["readouts"]
    for control, (name, unit) in READOUTS[form].items():
        node = by(frame, pyatspi.ROLE_TEXT, name)
        check(node is not None, "%s: no read-out named %r" % (form, name))
        if node is None:
            continue
        check(text_of(node) == expected[control]["text"],
              "%s: %s says %r, the runner %r" % (form, name, text_of(node),
                                                  expected[control]["text"]))
        description = node.description
        check(description.startswith(unit), "%s: %s's description %r lacks its unit"
              % (form, name, description))
        # Each banded read-out says the band of its own quantity.
        quantity = {"txtangsup": "ângulo superior", "txtanginf": "ângulo inferior",
                    "txtperna": "pernada"}.get(control)
        if quantity and expected[control]["text"]:
            check("banda" in description and quantity in description,
                  "%s: %s's band %r" % (form, name, description))
        check(node.getState().contains(pyatspi.STATE_READ_ONLY) or
              not node.getState().contains(pyatspi.STATE_EDITABLE),
              "%s: %s can be edited" % (form, name))
        check(not labels(node), "%s: %s is labelled by %r" % (form, name, labels(node)))


def calculator(form):
    menu = wait_for(lambda: window("Pernadas: menu principal"), what="the main menu")
    check(menu.getRole() == pyatspi.ROLE_FRAME, "the main menu is no frame")
    press(menu, pyatspi.ROLE_PUSH_BUTTON, BUTTONS[form])
    frame = wait_for(lambda: window(CAPTIONS[form]), what=CAPTIONS[form])
    check(frame.getRole() == pyatspi.ROLE_FRAME, "%s is no frame" % form)
    everything = descendants(frame)

    bars = [d.name for d in everything if d.getRole() == pyatspi.ROLE_SCROLL_BAR]
    check(sorted(bars) == sorted(SLIDERS[form]), "%s: scroll bars %r" % (form, bars))
    images = [d for d in everything if d.getRole() == pyatspi.ROLE_IMAGE]
    check(len(images) == 1 and images[0].name.startswith("Esquema") and
          "p: comprimento da pernada" in images[0].description and images[0].childCount == 0,
          "%s: the drawing is not one described picture" % form)
    unnamed = [d.getRoleName() for d in everything
               if not d.name and d.getRole() not in (pyatspi.ROLE_LABEL, pyatspi.ROLE_PANEL)]
    check(not unnamed, "%s: unnamed %r" % (form, unnamed))

    unseen = [d.name for d in everything if not d.getState().contains(pyatspi.STATE_SHOWING)]
    check(not unseen, "%s: %r are given to a reader but do not show" % (form, unseen))
    shown = [d.name for d in everything if d.getRole() == pyatspi.ROLE_LABEL]
    for text, count in SHOWN_LABELS.get(form, {}).items():
        check(shown.count(text) == count,
              "%s: %d labels %r are read, not %d" % (form, shown.count(text), text, count))

    readouts_match(form, frame, ["show " + form])
    control, name, value = LOAD[form]
    slider = by(frame, pyatspi.ROLE_SCROLL_BAR, name)
    slider.queryValue().currentValue = value
    time.sleep(0.3)
    readouts_match(form, frame, ["show " + form, "drag %s %s %d" % (form, control, value)])

    # The search walks to 90 degrees and its results are said once; a second search changes
    # nothing, and nothing is said.
    search = by(frame, pyatspi.ROLE_PUSH_BUTTON, "Calcular a 90 Graus")
    search.queryComponent().grabFocus()
    pump(0.3)
    HEARD.clear()
    press(frame, pyatspi.ROLE_PUSH_BUTTON, "Calcular a 90 Graus")
    pump(2.5)
    check(len(HEARD) == 1 and "Ângulo superior 90 graus" in HEARD[0],
          "%s: the search's results were said as %r" % (form, HEARD))
    HEARD.clear()
    press(frame, pyatspi.ROLE_PUSH_BUTTON, "Calcular a 90 Graus")
    pump(0.5)
    check(not HEARD, "%s: a search that changed nothing said %r" % (form, HEARD[:5]))
    for node in everything:
        if node.getRole() == pyatspi.ROLE_TEXT:
            texts_answer(form, node)
    script = ["show " + form, "drag %s %s %d" % (form, control, value), "click %s %s"
              % (form, "Command2" if form == "frmtrespernas" else "Command4")]
    readouts_match(form, frame, script)
    readouts_match(form, frame, script + [script[-1]])

    if form == "frmtrespernas":
        radios = [d for d in everything if d.getRole() == pyatspi.ROLE_RADIO_BUTTON]
        check({r.name for r in radios} == {"Diâmetro da peça", "Distância entre Pernadas"},
              "three legs: radio buttons %r" % [r.name for r in radios])
        distance = by(frame, pyatspi.ROLE_RADIO_BUTTON, "Distância entre Pernadas")
        action = distance.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        action.doAction(names.index("Toggle") if "Toggle" in names else 0)
        time.sleep(0.3)
        script = script + ["select frmtrespernas Option2"]
        readouts_match(form, frame, script)
        options = replay(script + ["dump " + form])["options"]
        check(distance.getState().contains(pyatspi.STATE_CHECKED) == options["Option2"],
              "three legs: the distance option shows %r" % distance.getState().contains(
                  pyatspi.STATE_CHECKED))
        diameter = by(frame, pyatspi.ROLE_RADIO_BUTTON, "Diâmetro da peça")
        check(diameter.getState().contains(pyatspi.STATE_CHECKED) == options["Option1"],
              "three legs: the diameter option disagrees with the model")

    press(frame, pyatspi.ROLE_PUSH_BUTTON, "Cancelar")
    wait_for(lambda: window(CAPTIONS[form]) is None, what=form + " to close")


def about():
    menu = wait_for(lambda: window("Pernadas: menu principal"), what="the main menu")
    press(menu, pyatspi.ROLE_PUSH_BUTTON, "Acerca")
    dialog = wait_for(lambda: window("Acerca"), what="the about dialog")
    check(dialog.getRole() == pyatspi.ROLE_DIALOG, "the about box is no dialog")
    texts = [d for d in descendants(dialog) if d.getRole() == pyatspi.ROLE_TEXT]
    check(len(texts) >= 14 and all(t.name for t in texts),
          "about: unnamed texts %r" % [text_of(t) for t in texts if not t.name])
    email = by(dialog, pyatspi.ROLE_TEXT, "Endereço de e-mail")
    check(email is not None and "@" in text_of(email), "about: no e-mail address")
    for node in texts:
        texts_answer("about", node)
    press(dialog, pyatspi.ROLE_PUSH_BUTTON, "Ok")
    wait_for(lambda: window("Acerca") is None, what="the about dialog to close")


def main():
    # A question that is not answered at once is a program that has stopped answering.
    pyatspi.setTimeout(3000, 15000)
    wait_for(application, what="the program on the accessibility bus")
    pyatspi.Registry.registerEventListener(listen, "object:state-changed:showing")
    for form in ("frmduaspernas", "frmtrespernas", "frmquatropernas"):
        calculator(form)
    about()
    menu = wait_for(lambda: window("Pernadas: menu principal"), what="the main menu")
    press(menu, pyatspi.ROLE_PUSH_BUTTON, "Terminar")
    print("accessibility: %d problems" % len(FAILURES))
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
