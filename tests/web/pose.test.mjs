// A pose read into the state the page opens in and written back: what fits the doll is kept, anything else left out,
// whatever the text.
import { test } from "node:test";
import assert from "node:assert/strict";
import { createRequire } from "node:module";

const Pose = createRequire(import.meta.url)("../../web/pose.js");

// Two cel lines, two objects (the second fixed 5), the page showing sets 0 and 2.
const opening = () => ({
  set: 0, paletteGroup: [0, 0, 1, 0, 0, 0, 0, 0, 0, 0], fix: [0, 5],
  positions: Array.from({ length: 10 }, (_, n) => (n === 0 || n === 2 ? [[1, 2], [3, 4]] : [[-1, -1], [-1, -1]])),
  cels: [{ mapped: true, transparency: 0 }, { mapped: false, transparency: 0 }],
});

test("a pose keeps what fits the doll and leaves the rest", () => {
  const rows = [
    ["s2~p0.1.-30.40~p2.0.7.8~m0.1~t1.128~f1.0~g0.3", "s2~p0.1.-30.40~p2.0.7.8~m0.1~t1.128~f1.0~g0.3"],
    ["p0.0.1.2.1.3.4", ""], // as at the start
    ["s1~s10~s-0~p1.0.5.5~p0.2.5.5~p0.0.99999.0~p0.0.5", ""], // no set 1 or 10, object 2, far; a place cut short
    ["m0.0~m5~t0.256~t1.-1~f1.1e3~f2.1~g10.1~g0.256", "m0"], // a line once, out of range, no number
    ["x1.2~~s~p~.~2~s2.junk~s2", "s2"], // unknown letters, empty parts, a section with more than it takes
    ["s2" + "~".repeat(1 << 20), ""], // too long for a pose
    [undefined, ""],
  ];
  for (const [text, written] of rows) {
    const from = opening(), state = opening();
    Pose.read(text, state, from, [0, 2]);
    assert.equal(Pose.write(from, state), written, text?.slice(0, 60));
  }
});
