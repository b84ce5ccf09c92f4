// The doll's FKiSS played in the page, read back from the page Chromium leaves once the virtual time given has run,
// against the page as it opens: pictures newly hidden (-) and shown (+), objects moved. A press is on a pixel where the
// snapshot shows the picture named; the sample's FKiSS has timers the start sets and a press sets.
import { test } from "node:test";
import assert from "node:assert/strict";
import { cpSync, existsSync, readFileSync, writeFileSync } from "node:fs";
import { basename, join } from "node:path";
import { dolls, dom, kiss2bmp, noBrowser, picture, pip, scratch } from "./browser.mjs";

const dir = scratch(), sample = join(dir, "pip/pip.cnf");
cpSync(join(pip, ".."), join(dir, "pip"), { recursive: true });
const fkiss = [";@EventHandler", ";@begin() timer(1,3000) timer(3,60000)", ';@alarm(1) unmap("shirt.cel")',
  ';@alarm(3) unmap("back.cel")', ';@press("body.cel") timer(2,300) sound("Ping.WAV")',
  ';@alarm(2) moveto(#1,40,40) notify("</script><b>&")'];
writeFileSync(sample, readFileSync(sample, "latin1") + fkiss.map((line) => line + "\r\n").join(""), "latin1");
const wav = "RIFF\x26\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0data\x02\0\0\0\x80\x80";
writeFileSync(join(dir, "pip/ping.wav"), wav, "latin1");

// name: the configuration, the steps before the press, the picture pressed ("" for none), the virtual time and what
// changed (~NAME: the sound started; "... " first: these among others).
const ranmas = join(dolls, "2ranmas/fkisswav.cnf");
const rows = {
  SampleTimers: [sample, "", "", 5000, "-shirt"],
  SamplePress: [sample, "", "body", 5000, "-shirt #1@40,40 ~ping.wav"],
  SamplePressMuted: [sample, "mute;", "body", 5000, "-shirt #1@40,40"],
  RanmasButtons: [ranmas, "", "btnmn", 1000, "-btnmn -btnm2 -btnm4 +btnmno +btnm2o +btnm4o"],
  RanmasBucket: [ranmas, "", "bucket", 5000,
    "... -bucket +kettle -ranma-m1 +ranma-f1 -meyes1 +feyes1 -kanji +hiragana ~splash.wav"],
  UkPressToggle: [join(dolls, "../kiss-tests/uk_press/FKiSS1.cnf"), "", "toggle1", 5000, "-toggle1"],
};

// Each picture's object, place and whether it is hidden, and each sound as "~NAME", from a page's DOM.
const pictures = (shown) => {
  const canvas = new RegExp('<canvas [^>]*?data-cel="([^"]*)" data-object="(\\d+)"( hidden="")? ' +
    'style="left: (-?\\d+)px; top: (-?\\d+)px;[^"]*"( hidden="")?>', "g");
  const found = new Map();
  for (const [, cel, object, hidden, x, y, hiddenAfter] of shown.matchAll(canvas))
    found.set(cel, { object, x: Number(x), y: Number(y), hidden: Boolean(hidden || hiddenAfter) });
  for (const [, sound] of shown.matchAll(/ data-sound="([^"]*)"/g)) found.set("~" + sound, {});
  return found;
};

for (const [name, [cnf, steps, pressed, budget, expected]] of Object.entries(rows)) {
  const skip = noBrowser || (!existsSync(cnf) && `the real dolls are not at ${dolls}: only the sample plays`);
  test(name, { skip }, async () => {
    const page = scratch(), shot = scratch();
    kiss2bmp(shot, [["--page", cnf, page], ["--format=png", "--snapshot", "snapshot.png", cnf, "."]]);
    const url = "file://" + join(page, basename(cnf, ".cnf")) + ".html";
    const before = pictures(await dom(url));
    let fragment = "#" + steps;
    if (pressed) {
      const snapshot = await picture(join(shot, "snapshot.png")), image = await picture(join(shot, pressed + ".png"));
      const { x: x0, y: y0 } = before.get(pressed);
      search: for (let y = 0; y < image.height; ++y)
        for (let x = 0; x < image.width; ++x) {
          const shown = image.pixel(x, y), under = snapshot.pixel(x0 + x, y0 + y);
          if (shown[3] === 255 && shown.every((c, i) => c === under[i])) {
            fragment += `press:${x0 + x},${y0 + y}`;
            break search;
          }
        }
      assert.ok(fragment.includes("press:"), "a pixel of " + pressed);
    }
    const changed = new Set();
    for (const [cel, now] of pictures(await dom(url + fragment, budget))) {
      const was = before.get(cel);
      if (!was) changed.add(cel); // a sound started
      else if (now.hidden !== was.hidden) changed.add((now.hidden ? "-" : "+") + cel);
      if (was && (now.x !== was.x || now.y !== was.y)) changed.add(`#${now.object}@${now.x},${now.y}`);
    }
    const some = expected.startsWith("... "), wanted = expected.replace(/^\.\.\. /, "").split(" ");
    if (some) assert.ok(wanted.every((w) => changed.has(w)), [...changed].join(" "));
    else assert.deepEqual([...changed].sort(), wanted.sort());
  });
}
