// kiss2bmp --page opened from disk: each set as the page first shows it is, pixel for pixel, the --snapshot picture of
// that set, on the border colour, as is Save picture's file of it. Each row runs kiss2bmp twice and opens the page twice.
import { test } from "node:test";
import assert from "node:assert/strict";
import { cpSync, existsSync, readFileSync, renameSync, writeFileSync } from "node:fs";
import { basename, join } from "node:path";
import { dolls, kiss2bmp, noBrowser, noVirtualTime, picture, pip, saved, scratch, screenshot, source } from "./browser.mjs";

const dir = scratch(), sample = join(source, "samples/pip");
// The sample doll copied to a folder of dir, its configuration made by edit from the sample's.
const doll = (name, edit) => {
  cpSync(sample, join(dir, name), { recursive: true });
  writeFileSync(join(dir, name, "pip.cnf"), edit(readFileSync(pip, "latin1")), "latin1"); // bytes, Shift-JIS too
  return join(dir, name, "pip.cnf");
};
// With a border colour line: the border is colour 3 of the set's group.
const bordered = doll("pip", (cnf) => cnf + "[3\r\n");
// The body cel named in Shift-JIS and with bytes that mean something in a page, found under the UTF-8 name an extractor
// gives it: the page links the image by that name, escaped.
const sjis = doll("sjis", (cnf) => cnf.replace("BODY", "\x95\x5C\"<B>'&%"));
renameSync(join(dir, "sjis/body.cel"), join(dir, "sjis/表\"<b>'&%.cel"));
// A palette change the page plays, shown as the start that makes it draws it.
const fkiss = (...lines) => (cnf) => cnf + ["[3", ";@EventHandler", ...lines].map((line) => line + "\r\n").join("");
const later = doll("later", fkiss(";@begin() timer(1,50)", ";@alarm(1) changecol(2)"));
const atOnce = doll("at-once", fkiss(";@initialize() changecol(2)"));
// A component and a missing cel, left out, FKiSS naming the component, the hair at negative offsets, up and left.
const leftOut = doll("left-out", (cnf) => cnf.replace("SHIRT.CEL", "SHIRT.label").replace("#4.80", "#1 GONE.CEL *0 :0\r\n#4.80") +
  ';@EventHandler\r\n;@initialize() unmap("shirt.label") map("shirt.label")\r\n');
const hair = readFileSync(join(dir, "left-out/hair.cel"));
hair.writeUInt32LE(0xfffefffd, 12);
writeFileSync(join(dir, "left-out/hair.cel"), hair);
// Wider than a phone, under a name wider still.
const big = join(dir, "big/a-doll-whose-name-is-wider-than-a-phone.cnf");
renameSync(doll("big", (cnf) => cnf.replace("(96,100)", "(448,320)") + "[3\r\n"), big);

// The configuration, the set chosen, the set button pressed through the fragment (-1: none), a phone's window width (0:
// room for the play area), the configuration of the snapshot (the same when not given), the ms of virtual time the page
// has run when it is shown, and a time at which it shows something else (its animations moved on).
const rows = {
  Set0: [bordered, 0, -1, 0],
  Button1: [bordered, 0, 1, 0],
  Button2: [bordered, 0, 2, 0],
  Set1: [bordered, 1, -1, 0],
  ShiftJisName: [sjis, 0, -1, 0],
  Phone: [big, 0, -1, 375],
  ChangecolLater: [later, 0, -1, 0, atOnce],
  LeftOutAndNegativeOffsets: [leftOut, 0, -1, 0],
  Washua: [join(dolls, "washua/washu.cnf"), 0, -1, 0],
  BoredomButton1: [join(dolls, "boredom/boredom.cnf"), 0, 1, 0],
  RanmasInitialize: [join(dolls, "2ranmas/fkisswav.cnf"), 0, -1, 0], // what initialize() hides left out
  Transparent32Bit: [join(dolls, "../kiss-tests/uk_transparent/FKiSS1.cnf"), 0, -1, 0],
  NegativeOffsets32Bit: [join(dolls, "../kiss-tests/uk_messages/FKiSS5.cnf"), 0, -1, 0],
  Components: [join(dolls, "../kiss-tests/uk_animate/FKiSS5.cnf"), 0, -1, 0],
  // GIF cels of 3 and 5 frames of 150 ms and 4 of 100 ms: all on their first again after 18 s; a JPEG cel a quarter opaque.
  GifAnimationsBackOnTheirFirstFrames: [join(dolls, "../kiss-tests/uk_gifanimate/CNF3.cnf"), 0, -1, 0, undefined, 18075, 1075],
};

for (const [name, [cnf, set, button, phone, drawn = cnf, budget = 1000, moved]] of Object.entries(rows)) {
  const skip = noBrowser || (budget > 1000 && noVirtualTime) ||
    (!existsSync(cnf) && `the real dolls are not at ${dolls}: only the sample is shown`);
  test(name, { skip }, async () => {
    const page = scratch(), shot = scratch(), shown = String(button < 0 ? set : button);
    kiss2bmp(shot, [["--set", String(set), "--page", cnf, page], ["--set", shown, "--format=png", "--snapshot",
      "snapshot.png", drawn, "."]]);
    const snapshot = await picture(join(shot, "snapshot.png")), { width: w, height: h } = snapshot;
    const url = "file://" + join(page, basename(cnf, ".cnf")) + ".html" + (button < 0 ? "" : "#set:" + button);
    const window = phone ? [phone, 667] : [w + 32, h + 100];
    const screen = await picture(await screenshot(url, ...window, budget));
    assert.deepEqual([screen.width, screen.height], window);
    const same = (a, b) => a.slice(0, 3).every((c, i) => c === b[i]);
    // On a phone, as wide as the window but its padding, never blurred: each pixel the snapshot's under its middle.
    const k = phone ? (phone - 32) / w : 1;
    let differ = 0, across = 0;
    for (let y = 0; y < Math.trunc(h * k); ++y)
      for (let x = 0; x < Math.trunc(w * k); ++x) {
        const under = snapshot.pixel(Math.trunc((x + 0.5) / k), Math.trunc((y + 0.5) / k));
        differ += !same(screen.pixel(16 + x, 52 + y), under);
      }
    assert.ok(differ <= (phone ? (w * h) / 250 : 0), `${differ} of ${w * h} pixels`); // where rounding parts ways
    if (moved) assert.notDeepEqual(await screenshot(url, ...window, moved), await screenshot(url, ...window, budget));
    if (drawn === cnf && !moved) { // at once, before a timer or an animation has changed it
      const [name, png] = await saved(url, ...window), save = await picture(png), off = [];
      for (let i = 0; i < w * h; ++i) same(save.pixel(i % w, ~~(i / w)), snapshot.pixel(i % w, ~~(i / w))) || off.push(i);
      assert.deepEqual([name.endsWith(` set ${shown}.png`), save.width, save.height, off.length], [true, w, h, 0], name);
    }
    for (let y = 0; y < window[1]; ++y) // nothing reaches the right padding, so nothing scrolls sideways
      across += !same(screen.pixel(window[0] - 1, y), screen.pixel(window[0] - 1, 0));
    assert.equal(across, 0);
    if (cnf === bordered) { // colour 3 of the group, as a cel in palette 0 holds it, its 4-bit parts scaled by 17
      const bmp = readFileSync(join(source, "tests/cli/golden/set0/body.bmp")), at = 54 + 4 * (16 * Number(shown) + 3);
      const border = [bmp[at + 2], bmp[at + 1], bmp[at]].map((c) => (c >> 4) * 17);
      assert.ok(same(screen.pixel(4, 4), border) && same(screen.pixel(w + 24, h + 24), border), "the border colour");
    }
  });
}
