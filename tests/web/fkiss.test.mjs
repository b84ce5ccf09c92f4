// The page's FKiSS player on the start picture's shared cases, started as the start's runner starts them, and on the
// page's own cases; each program as the configuration reader gives it and the words as the page's data gives them
// (fkiss-programs.json and fkiss-words.json, which the reader's tests keep equal to what the C++ side writes).
import { test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";

const { Player, handled } = createRequire(import.meta.url)("../../web/fkiss.js");
const text = (file) => readFileSync(new URL("../../" + file, import.meta.url), "utf8");
const programs = JSON.parse(text("tests/web/fkiss-programs.json"));
const words = JSON.parse(text("tests/web/fkiss-words.json"));

// A W x H block of opaque runs by row; hollow: only its outer ring.
const block = (w, h, hollow) =>
  Array.from({ length: h }, (_, y) => (hollow && y > 0 && y < h - 1 ? [0, 1, w - 1, w] : [0, w]));

// The cases of a file in the shared format, with the page's cel flags and steps.
const read = (file) => {
  const cases = [];
  for (const line of text(file).split("\n")) {
    const [word, ...rest] = line.trim().split(/\s+/), c = cases.at(-1);
    if (word === "case") cases.push({ name: rest[0], cels: [], masks: [], places: [], steps: [], expected: [] });
    if (word === "cel") {
      const cel = { name: rest[0], object: Number(rest[1]), mapped: true, transparency: 0 };
      for (const f of rest.slice(2)) {
        if (f === "u") cel.mapped = false;
        else if (f[0] === "t") cel.transparency = Number(f.slice(1));
        else cel.mask = c.masks.push(block(...f.slice(1).split(",").map(Number), f[0] === "h")) - 1;
      }
      c.cels.push(cel);
    }
    if (word === "set") c.places[parseInt(rest[0])] = rest.slice(1).map((p) => (p === "*" ? [-1, -1] : p.split(",").map(Number)));
    if (word === "do") c.steps.push(rest);
    if (word === "=") c.expected.push(line.slice(2));
  }
  return cases;
};

// What differs between two states, in the cases' form (as the reader's tests give it), then the notes.
const changes = (from, s, timers, notes) => {
  const lines = [], mapped = [], hidden = [];
  s.cels.forEach((c, i) => c.mapped !== from.cels[i].mapped && (c.mapped ? mapped : hidden).push(c.name));
  if (mapped.length > 0) lines.push("mapped: " + mapped.join(" "));
  if (hidden.length > 0) lines.push("hidden: " + hidden.join(" "));
  s.cels.forEach((c, i) => c.transparency !== from.cels[i].transparency && lines.push(`transparency: ${c.name} ${c.transparency}`));
  if (s.set !== from.set) lines.push("set: " + s.set);
  s.paletteGroup.forEach((g, i) => g !== from.paletteGroup[i] && lines.push(`group ${i}: ${g}`));
  s.positions.forEach((places, set) =>
    places.forEach(([x, y], o) => {
      const [x0, y0] = from.positions[set][o];
      if (x !== x0 || y !== y0) lines.push(`at ${set}: #${o} ` + (x === -1 && y === -1 ? "*" : `${x},${y}`));
    }));
  s.fix.forEach((f, o) => f !== from.fix[o] && lines.push(`fix: #${o} ${f}`));
  [...s.variables].sort(([a], [b]) => (a < b ? -1 : 1)).forEach(([n, v]) => v !== 0 && lines.push(`var ${n}: ${v}`));
  [...timers].sort(([a], [b]) => a - b)
    .forEach(([a, t]) => lines.push(`timer ${a}: ${t.delay}` + (t.variance > 0 ? "+" + t.variance : "")));
  return [...lines, ...notes.map((n) => "note: " + n)];
};

// A clock the test moves on: each timer due rings in turn, by when it is due, then by when it was set.
const clock = () => {
  let now = 0, handles = 0;
  const due = new Map();
  return {
    schedule: (f, ms) => (due.set(++handles, [now + ms, f]), handles),
    now: () => now,
    cancel: (handle) => due.delete(handle),
    wait(ms) {
      for (let next; (next = [...due].sort((a, b) => a[1][0] - b[1][0] || a[0] - b[0])[0]) && next[1][0] <= now + ms;) {
        due.delete(next[0]);
        ms -= next[1][0] - now;
        now = next[1][0];
        next[1][1]();
      }
      now += ms;
    },
  };
};

// A case's doll started as the start picture is, given its steps: what changed, with the notes.
const play = (c) => {
  const objects = Math.max(...c.cels.map((cel) => cel.object + 1), ...Array.from(c.places, (p) => p?.length ?? 0));
  const positions = Array.from({ length: 10 }, (_, s) => Array.from({ length: objects }, (_, o) => c.places[s]?.[o] ?? [-1, -1]));
  const state = { cels: c.cels, set: 0, paletteGroup: Array(10).fill(0), positions, home: structuredClone(positions),
    fix: Array(objects).fill(0), variables: new Map(), width: 100, height: 100 };
  const from = structuredClone(state), time = clock();
  const player = new Player(words, programs[c.name].program, state, { ...time, random: () => 0 }, c.masks);
  player.start();
  for (const [step, a, b] of c.steps) {
    if (step === "press") player.press(state.cels.findIndex((cel) => cel.name === a));
    if (step === "release") player.release();
    if (step === "drag") player.drag(Number(a), ...b.split(",").map(Number));
    if (step === "wait") time.wait(Number(a));
  }
  return changes(from, state, player.timers, [...programs[c.name].notes, ...player.notes]);
};

test("the start's cases come out as the start's runner leaves them", () => {
  const cases = read("tests/fkiss/fkiss-start-cases.txt");
  assert.ok(cases.length >= 20);
  // The runners word what they leave out and where they stop differently.
  const compared = (lines) => lines.filter((l) => !/ is not played| is stopped after /.test(l));
  for (const c of cases)
    if (c.name !== "timers-sound-random-are-the-pages") // played by the page: its own case
      assert.deepEqual(compared(play(c)), compared(c.expected), c.name);
});

test("the page's cases: presses, timers, sets, drags and bounds", () => {
  for (const c of read("tests/web/fkiss-page-cases.txt")) assert.deepEqual(play(c), c.expected, c.name);
});

test("the player has a handler for each word the word table has the page play, and for no other", () => {
  for (const kind of ["events", "actions"])
    assert.deepEqual([...handled[kind]].sort(), Object.keys(words[kind]).sort(), kind);
});

test("data of no program's shape plays nothing and stops nothing", () => {
  const state = { cels: [{ name: "a", object: 0, mapped: true, transparency: 0 }], set: 0, paletteGroup: [0],
    positions: [[[0, 0]]], fix: [0], variables: new Map() };
  const player = new Player(words, [null, 7, ["press", [["c", "a"]], 1, [null, ["map", [["x", 1]], 2], ["toString", [], 3]]]],
    state);
  player.press(0);
  assert.deepEqual(player.notes, ["undefined is not played", "line 2: map is skipped: its arguments do not fit",
    "line 3: toString is not played"]);
});

test("a cause stops after 50 ms of script, noted once, and a timer it set waits 100 ms at least", () => {
  let now = 0;
  const waits = [], state = { cels: [{ name: "a", object: 0, mapped: true, transparency: 0 }], set: 0,
    paletteGroup: [0], positions: [[[0, 0]]], fix: [0], variables: new Map() };
  const loop = (line) => ["goto", [["n", 1]], line];
  const player = new Player(words, [["press", [["c", "a"]], 1, [["timer", [["n", 1], ["n", 10]], 1], loop(1)]],
    ["label", [["l", 1]], 2, [["add", [["v", "n"], ["v", "n"], ["n", 1]], 2], loop(2)]], ["alarm", [["n", 1]], 3, []]],
    state, { now: () => ++now, schedule: (f, ms) => waits.push(ms) });
  player.press(0);
  player.press(0);
  assert.deepEqual([player.notes, waits], [["line 2: the event is stopped after 50 ms"], [100, 100]]);
});
