// The doll's FKiSS program, played on its state: what a visitor, a timer or an action sets off
// runs its events' actions in order, with the start picture's rules for what both do, and within
// bounds, so that no program can hang the page or make it grow without end.
//
// The state, as the page builds it: cels [{name, object, mapped, transparency, sets (a bit a set
// it is placed in), mask}] in cel line order, set, paletteGroup[10], positions[10][object] and
// home[10][object] ([x, y], -1,-1 for none; home as the configuration places it), fix[object],
// variables (a Map), width and height. The words: those the page plays, {events, actions}, each
// name: what it takes (PageWordsJson). The program: the page's list of events (ProgramJson).
// masks: each picture's opaque runs by row, [first, end, first, end...] (see Mask). The hooks:
// schedule(f, ms) and cancel(handle) for timers, now() in ms, random() in [0, 1), sound(name), notify(text),
// note(text), changed() after each outside cause has run.
const Fkiss = (() => {
  "use strict";
  // What one outside cause may do, with the events it sets off: steps of work (an action is one, and
  // so is each cel an action looks at or changes, each character it shows and each kRunsAStep rows
  // and pixel runs a test of pixels goes through), and ms of script. Past either it stops.
  const kMaxSteps = 100000;
  const kMaxMillis = 50;
  const kRunsAStep = 32;
  const kLookEvery = 100; // steps between looks at the clock
  const kMaxDepth = 64; // gosubs nested
  const kMaxQueued = 1000; // events one cause sets off
  const kMaxNotes = 100;
  const kMinDelay = 10; // ms: a shorter timer would keep the page from anything else
  const kBusyDelay = 100; // ms at least before a timer set by a cause that was stopped
  const kMaxFix = 32767; // a fix this high never comes loose

  // The events the player sets off, each by what (never and nothing: by nothing, as they ask). The
  // words it plays and what each takes come from the page's data (the word table's "page" column,
  // PageWordsJson); the tests hold this and kDo below to that list.
  const kSetOff = {
    alarm: "its timer", apart: "a drag", begin: "the start", catch: "a press", col: "a palette group shown",
    collide: "a drag", drop: "a release", end: "the page closing", fixcatch: "a press", fixdrop: "a release",
    in: "a drag", initialize: "the start", label: "goto, gosub", never: "nothing", nothing: "nothing", out: "a drag",
    press: "a press", release: "a release", set: "a set shown", stillin: "a drag", stillout: "a drag",
    unfix: "a press, setfix", version: "the start",
  };
  // The kinds of argument each letter of what a word takes fits: c a cel, o an object, b either, n a
  // number or a variable, v a variable, s a text, l a label.
  const kFits = { c: "c", o: "o", b: "co", n: "nv", v: "v", s: "s", l: "l" };

  // An argument of the page's data, [kind, value]; anything else is of no kind that fits.
  const argument = (raw) => {
    const [kind, value] = Array.isArray(raw) ? raw : [];
    const one = typeof kind === "string" && kind.length === 1;
    if (one && typeof value === "string" && "cvsl".includes(kind)) return { kind, text: value, number: 0 };
    if (one && typeof value === "number" && "nol".includes(kind)) return { kind, text: "", number: value | 0 };
    return { kind: "?", text: "", number: 0 };
  };
  // An event or action, [name, [arguments], line], and whether it is played as it is written: a
  // word of the table (name: what it takes) that the player has a handler for.
  const statement = (raw, table, handlers) => {
    const [name, args, line] = Array.isArray(raw) ? raw : [];
    const s = { name: String(name), args: Array.isArray(args) ? args.map(argument) : [], line: line | 0 };
    s.known = Object.hasOwn(table, s.name) && Object.hasOwn(handlers, s.name);
    s.takes = s.known ? table[s.name] : "";
    s.fits = s.known && s.takes.length === s.args.length && s.args.every((a, i) => kFits[s.takes[i]].includes(a.kind));
    return s;
  };

  const isIf = (name) => ["ifequal", "ifnotequal", "ifgreaterthan", "iflessthan"].includes(name);
  // The actions of events as one handler, with where each if and else goes on: an if, when
  // false; an else, past its endif. An if or else left open ends the handler.
  const handler = (events) => {
    const actions = events.flatMap((e) => e.actions), next = actions.map(() => actions.length), open = [];
    actions.forEach(({ name }, i) => {
      if (isIf(name)) open.push(i);
      else if (name === "else" && open.length > 0 && isIf(actions[open.at(-1)].name)) {
        next[open.at(-1)] = i + 1;
        open[open.length - 1] = i;
      } else if (name === "endif" && open.length > 0) next[open.pop()] = i + 1;
      else if (name === "else") next[i] = i + 1; // an else without its if does nothing
    });
    return { actions, next };
  };
  const kNone = handler([]);

  const key = (a) => a.kind + ":" + (a.kind === "c" || a.kind === "v" ? a.text : a.number);
  // The key an event is found by, or null when nothing sets it off.
  const keyOf = (e) => {
    if (!e.fits || e.name === "version") return null;
    if (e.takes === "n") return e.args[0].kind === "n" ? e.name + " " + e.args[0].number : null;
    if (e.name === "label") return "label " + (e.args[0].text ? "v:" + e.args[0].text : "n:" + e.args[0].number);
    return [e.name, ...e.args.map(key)].join(" ");
  };
  const clamp = (v, low, high) => Math.min(Math.max(v, low), high);
  const kCollisions = ["in", "out", "stillin", "stillout", "collide", "apart"];

  // The cels an action changes, and a text it shows, each cel and character a step.
  const changing = (p, a) => {
    const cels = p.celsOf(a, a.args[0]);
    p.spend(cels.length);
    return cels;
  };
  const say = (p, text) => {
    p.spend(text.length);
    p.hooks.notify(text);
  };
  // Each action by name: (player, action, its index, the frame running it).
  const kDo = {
    map: (p, a) => changing(p, a).forEach((c) => (c.mapped = true)),
    unmap: (p, a) => changing(p, a).forEach((c) => (c.mapped = false)),
    altmap: (p, a) => changing(p, a).forEach((c) => (c.mapped = !c.mapped)),
    transparent: (p, a) => {
      const delta = p.value(a.args[1]);
      for (const c of changing(p, a)) c.transparency = clamp(c.transparency + delta, 0, 255);
    },
    move: (p, a) => p.moveBy(a, ([x, y]) => [x + p.value(a.args[1]), y + p.value(a.args[2])]),
    moveto: (p, a) => p.moveBy(a, () => [p.value(a.args[1]), p.value(a.args[2])]),
    movebyx: (p, a) => p.moveBy(a, ([, y]) => p.other(a, (o) => [o[0] + p.value(a.args[2]), y])),
    movebyy: (p, a) => p.moveBy(a, ([x]) => p.other(a, (o) => [x, o[1] + p.value(a.args[2])])),
    moverandx: (p, a) => p.moveBy(a, ([x, y]) => [x + p.randomIn(p.value(a.args[1]), p.value(a.args[2])), y]),
    moverandy: (p, a) => p.moveBy(a, ([x, y]) => [x, y + p.randomIn(p.value(a.args[1]), p.value(a.args[2]))]),
    movetorand: (p, a) => p.moveBy(a, () => {
      const box = p.objectBox(a.args[0].number) || { left: 0, top: 0, right: 1, bottom: 1 }, s = p.state;
      return [p.randomIn(-box.left, s.width - box.right), p.randomIn(-box.top, s.height - box.bottom)];
    }),
    changeset: (p, a) => {
      const n = p.value(a.args[0]), s = p.state;
      // A set is in the doll when some object has a place in it.
      const places = (n >= 0 && n <= 9 && s.positions[n]) || [];
      const placed = places.findIndex(([x, y]) => x !== -1 || y !== -1);
      p.spend(placed < 0 ? places.length : placed);
      if (n === s.set || placed >= 0) p.toSet(n);
      else p.skip(a, `set ${n} is not in the doll`);
    },
    changecol: (p, a) => {
      const n = p.value(a.args[0]), s = p.state;
      if (n < 0 || n > 9) return p.skip(a, `palette group ${n} is no 0 to 9`);
      if (s.paletteGroup[s.set] !== n) p.raise(["col " + n]);
      s.paletteGroup[s.set] = n;
    },
    setfix: (p, a) => {
      const o = a.args[0].number, fix = p.state.fix;
      if (!p.hasObject(a, o)) return;
      const was = fix[o];
      fix[o] = p.value(a.args[1]);
      if (was > 0 && fix[o] <= 0) p.raise(p.unfixKeys(o));
    },
    timer: (p, a) => p.setTimer(p.value(a.args[0]), p.value(a.args[1]), 0),
    randomtimer: (p, a) => p.setTimer(p.value(a.args[0]), p.value(a.args[1]), p.value(a.args[2])),
    ifmapped: (p, a) => p.timerIf(a, p.celsOf(a, a.args[0])[0]?.mapped === true),
    ifnotmapped: (p, a) => p.timerIf(a, p.celsOf(a, a.args[0])[0]?.mapped === false),
    iffixed: (p, a) => p.timerIf(a, p.hasObject(a, a.args[0].number) && p.state.fix[a.args[0].number] > 0),
    ifnotfixed: (p, a) => p.timerIf(a, p.hasObject(a, a.args[0].number) && p.state.fix[a.args[0].number] <= 0),
    ifmoved: (p, a) => p.timerIf(a, p.moved(a) === true),
    ifnotmoved: (p, a) => p.timerIf(a, p.moved(a) === false),
    sound: (p, a) => p.hooks.sound(a.args[0].text),
    debug: (p, a) => say(p, a.args[0].text),
    notify: (p, a) => say(p, a.args[0].text),
    nop: () => {},
    let: (p, a) => p.setVariable(a, p.value(a.args[1])),
    add: (p, a) => p.arithmetic(a, (x, y) => x + y),
    sub: (p, a) => p.arithmetic(a, (x, y) => x - y),
    mul: (p, a) => p.arithmetic(a, Math.imul),
    div: (p, a) => p.arithmetic(a, (x, y) => Math.trunc(x / y)),
    mod: (p, a) => p.arithmetic(a, (x, y) => x % y),
    random: (p, a) => p.setVariable(a, p.randomIn(p.value(a.args[1]), p.value(a.args[2]))),
    letset: (p, a) => p.setVariable(a, p.state.set),
    letpal: (p, a) => p.setVariable(a, p.state.paletteGroup[p.state.set]),
    letcatch: (p, a) => p.setVariable(a, p.held && !p.held.fixed ? p.held.object : -1),
    letfix: (p, a) => p.hasObject(a, a.args[1].number) && p.setVariable(a, p.state.fix[a.args[1].number]),
    letmapped: (p, a) => p.letCel(a, (c) => (c.mapped ? 1 : 0)),
    lettransparent: (p, a) => p.letCel(a, (c) => c.transparency),
    letobjectx: (p, a) => p.letPlace(a, 0),
    letobjecty: (p, a) => p.letPlace(a, 1),
    letmousex: (p, a) => p.setVariable(a, p.mouse ? p.mouse[0] : -1),
    letmousey: (p, a) => p.setVariable(a, p.mouse ? p.mouse[1] : -1),
    letcollide: (p, a) => p.setVariable(a, p.celsTouch(a.args[1].text, a.args[2].text) ? 1 : 0),
    letinside: (p, a) => p.setVariable(a, p.objectsTouch(a.args[1].number, a.args[2].number) ? 1 : 0),
    ifequal: (p, a, at, f) => p.branch(a, at, f, (x, y) => x === y),
    ifnotequal: (p, a, at, f) => p.branch(a, at, f, (x, y) => x !== y),
    ifgreaterthan: (p, a, at, f) => p.branch(a, at, f, (x, y) => x > y),
    iflessthan: (p, a, at, f) => p.branch(a, at, f, (x, y) => x < y),
    else: (p, a, at, f) => (f.next = f.handler.next[at]), // come to from the if's true part
    endif: () => {},
    exitevent: (p) => p.stack.pop(), // ends the handler it is in: a label's returns to its gosub
    goto: (p, a, at, f) => p.jump(a, a.args[0], f),
    gosub: (p, a) => p.jump(a, a.args[0], null),
    gotorandom: (p, a, at, f) => p.jump(a, p.chance(a) ? a.args[1] : a.args[2], f),
    gosubrandom: (p, a) => p.jump(a, p.chance(a) ? a.args[1] : a.args[2], null),
  };

  // A picture's opaque runs by row and the box around them, worked out when first asked for: the
  // rows, a function that gives them, or {rows: that function, box: the box known already, top:
  // how far below its object's place the first row stands (0 unless given)}.
  class Mask {
    constructor(source) {
      this.top = 0;
      if (source && !Array.isArray(source) && typeof source === "object") {
        this.bounds = source.box;
        this.top = source.top ?? 0;
        source = source.rows;
      }
      this.source = source;
    }
    get rows() {
      if (typeof this.source === "function") this.source = this.source();
      return this.source;
    }
    get box() {
      if (this.bounds !== undefined) return this.bounds;
      const box = { left: Infinity, top: Infinity, right: -Infinity, bottom: -Infinity };
      this.rows.forEach((runs, y) => {
        if (runs.length === 0) return;
        box.left = Math.min(box.left, runs[0]);
        box.right = Math.max(box.right, runs[runs.length - 1]);
        box.top = Math.min(box.top, y + this.top);
        box.bottom = y + this.top + 1;
      });
      return (this.bounds = box.left === Infinity ? null : box);
    }
  }

  class Player {
    constructor(words, program, state, hooks = {}, masks = []) {
      this.state = state;
      this.hooks = {
        schedule: (f, ms) => setTimeout(f, ms), cancel: (h) => clearTimeout(h), now: () => performance.now(),
        random: Math.random,
        sound() {}, notify() {}, note() {}, changed() {}, ...hooks,
      };
      this.masks = masks.map((source) => new Mask(source));
      this.notes = [];
      this.leftOut = new Set(); // names of what is not played, noted once
      this.timers = new Map(); // alarm: {delay, variance, wait}, at most one pending for each
      this.armed = null; // the timers the cause running has set, started once it ends
      this.held = null; // the cel line and object pressed, and whether it was fixed
      this.mouse = null;
      this.stack = [];
      this.queue = null; // the events the cause running has set off
      this.steps = 0;
      this.line = 0; // of the action running
      this.events = (Array.isArray(program) ? program : []).map((raw, index) => {
        const e = statement(raw, words?.events ?? {}, kSetOff);
        e.actions = (Array.isArray(raw?.[3]) ? raw[3] : []).map((a) => statement(a, words?.actions ?? {}, kDo));
        return { ...e, index };
      });
      this.index = new Map(); // key: its events, in file order
      this.collisions = new Map(); // key: {kind, a, b}
      this.watched = new Map(); // object: the collisions it is in, found when first dragged
      for (const e of this.events) {
        const k = keyOf(e);
        if (k === null) continue;
        if (!this.index.has(k)) this.index.set(k, []);
        this.index.get(k).push(e);
        if (kCollisions.includes(e.name)) this.collisions.set(k, { kind: e.name, key: k, a: e.args[0], b: e.args[1] });
      }
      this.handlers = new Map();
      // The cels of each name and of each object: an action finds them without looking at all.
      this.named = new Map();
      this.ofObject = new Map();
      for (const c of state.cels) {
        for (const [by, k] of [[this.named, c.name], [this.ofObject, c.object]]) {
          if (!by.has(k)) by.set(k, []);
          by.get(k).push(c);
        }
      }
    }

    // initialize(), begin(), then version(n) of the levels known (0 to 4, n's value then), as one
    // bounded run that sets off no other event: the start picture as the run draws it.
    start() {
      this.cause(() => {
        this.starting = true;
        this.run(this.handlerOf(["initialize"]));
        this.run(this.handlerOf(["begin"]));
        this.run(handler(this.events.filter((e) => e.fits && e.name === "version" &&
          this.value(e.args[0]) >= 0 && this.value(e.args[0]) <= 4)));
        this.starting = false;
      });
    }
    // The timers the start left running: [alarm, delay, variance].
    startTimers(timers) {
      for (const [alarm, delay, variance] of timers) this.setTimer(alarm | 0, delay | 0, variance | 0);
    }
    // A visitor's press on a cel line's cel: whether its object comes along (it is not fixed).
    press(line) {
      const cel = this.state.cels[line];
      if (!cel) return false;
      const o = cel.object, keys = (name) => [`${name} c:${cel.name}`, `${name} o:${o}`];
      this.held = { line, object: o, fixed: (this.state.fix[o] ?? 0) > 0, most: false };
      this.cause(() => {
        this.run(this.handlerOf(keys("press")));
        const fix = this.state.fix[o] ?? 0; // as press() leaves it
        Object.assign(this.held, { fixed: fix > 0, most: fix >= kMaxFix });
        if (fix <= 0) return this.run(this.handlerOf(keys("catch")));
        if (fix >= kMaxFix) return;
        this.state.fix[o] = fix - 1; // each try loosens it by one
        this.run(this.handlerOf(keys("fixcatch")));
        if (fix === 1) this.raise(this.unfixKeys(o));
      });
      return !this.held.fixed;
    }
    // The press let go of: release(), then drop() or, for an object fixed when pressed, fixdrop().
    release() {
      const held = this.held, cel = this.state.cels[held?.line];
      this.held = null;
      if (!cel) return;
      const keys = (name) => [`${name} c:${cel.name}`, `${name} o:${held.object}`];
      this.cause(() => {
        this.run(this.handlerOf(keys("release")));
        if (!held.most) this.run(this.handlerOf(keys(held.fixed ? "fixdrop" : "drop")));
      });
    }
    // A visitor's move of an object in the set shown, and what it now touches or no longer does.
    drag(object, x, y) {
      const places = this.state.positions[this.state.set];
      if (!places?.[object] || (places[object][0] === (x | 0) && places[object][1] === (y | 0))) return;
      this.cause(() => {
        if (!this.watched.has(object))
          this.watched.set(object, [...this.collisions.values()].filter((c) => this.involves(c, object)));
        const watched = this.watched.get(object);
        const before = watched.map((c) => this.touch(c));
        places[object] = [x | 0, y | 0];
        watched.forEach((c, i) => {
          const now = this.touch(c), was = before[i];
          const fires = { in: !was && now, collide: !was && now, out: was && !now, apart: was && !now,
            stillin: now, stillout: !now };
          if (fires[c.kind]) this.raise([c.key]);
        });
      });
    }
    // A visitor's choice of a set: its set() event, and col() when its palette group is another.
    showSet(n) {
      this.cause(() => this.toSet(n));
    }
    end() {
      this.cause(() => this.run(this.handlerOf(["end"])));
    }

    // One outside cause: its actions and those of the events they set off, within kMaxSteps and
    // kMaxMillis; the timers it sets start as it ends, later when it was stopped (it would be again).
    cause(f) {
      if (this.queue) return f();
      Object.assign(this, { steps: 0, line: 0, queue: [], armed: new Map(), stopped: false, late: false });
      this.deadline = this.hooks.now() + kMaxMillis;
      this.look = kLookEvery;
      try {
        f();
        while (this.queue.length > 0 && !this.stopped) this.run(this.queue.shift());
      } finally {
        const armed = this.armed;
        this.queue = this.armed = null;
        for (const [alarm, timer] of armed) this.arm(alarm, timer, this.stopped ? kBusyDelay : 0);
      }
      this.hooks.changed();
    }
    // Counts steps of work of the cause running: whether it may go on. Past its steps or its time it
    // stops, noted (past its time once a page).
    spend(steps) {
      this.steps += steps;
      if (this.steps >= this.look) {
        this.look = this.steps + kLookEvery;
        this.late ||= this.hooks.now() > this.deadline;
      }
      if (!this.stopped && (this.steps > kMaxSteps || this.late)) {
        this.stopped = true;
        if (!this.late) this.note(this.line, `the event is stopped after ${kMaxSteps} steps`);
        else if (!this.lateNoted) this.note(this.line, `the event is stopped after ${kMaxMillis} ms`);
        this.lateNoted ||= this.late;
      }
      return !this.stopped;
    }
    run(h) {
      this.stack = [{ handler: h, next: 0 }];
      while (this.stack.length > 0) {
        const frame = this.stack.at(-1);
        if (frame.next >= frame.handler.actions.length) {
          this.stack.pop();
          continue;
        }
        const at = frame.next++, a = frame.handler.actions[at];
        this.line = a.line;
        if (!this.spend(1)) {
          this.stack = [];
          return;
        }
        if (a.fits) kDo[a.name](this, a, at, frame);
        else if (a.known) this.skip(a, "its arguments do not fit");
        else if (!this.leftOut.has(a.name)) {
          this.leftOut.add(a.name);
          this.note(a.line, a.name + " is not played");
        }
      }
    }
    // The handler of the events found by some keys, merged in file order.
    handlerOf(keys) {
      const id = keys.join("\n");
      if (!this.handlers.has(id)) {
        const events = keys.flatMap((k) => this.index.get(k) || []).sort((x, y) => x.index - y.index);
        if (events.length === 0) return kNone;
        this.handlers.set(id, handler(events));
      }
      return this.handlers.get(id);
    }
    raise(keys) {
      const h = this.handlerOf(keys);
      if (this.starting || !this.queue || h === kNone) return;
      if (this.queue.length < kMaxQueued) this.queue.push(h);
      else this.note(0, `an event is left out: more than ${kMaxQueued} at once`);
    }
    unfixKeys(o) {
      const cels = this.ofObject.get(o) || [], names = new Set(cels.map((c) => c.name));
      this.spend(cels.length);
      return [`unfix o:${o}`, ...[...names].map((n) => `unfix c:${n}`)];
    }
    toSet(n) {
      const s = this.state, group = s.paletteGroup[s.set];
      if (n === s.set || n < 0 || n > 9) return;
      s.set = n;
      this.raise(["set " + n]);
      if (s.paletteGroup[n] !== group) this.raise(["col " + s.paletteGroup[n]]);
    }

    note(line, text) {
      if (this.notes.length > kMaxNotes) return;
      const note = this.notes.length === kMaxNotes ? "further notes are left out"
        : line > 0 ? `line ${line}: ${text}` : text;
      this.notes.push(note);
      this.hooks.note(note);
    }
    skip(a, why) {
      this.note(a.line, `${a.name} is skipped: ${why}`);
    }
    value(v) {
      return v.kind === "v" ? (this.state.variables.get(v.text) ?? 0) : v.number;
    }
    setVariable(a, value) {
      this.state.variables.set(a.args[0].text, value | 0);
    }
    arithmetic(a, f) {
      const x = this.value(a.args[1]), y = this.value(a.args[2]);
      if ((a.name === "div" || a.name === "mod") && y === 0) return this.skip(a, "division by zero");
      this.setVariable(a, f(x, y));
    }
    randomIn(low, high) {
      if (high < low) [low, high] = [high, low];
      const r = clamp(Number(this.hooks.random()) || 0, 0, 1 - 2 ** -32);
      return low + Math.floor(r * (high - low + 1));
    }
    chance(a) {
      return this.randomIn(0, 99) < this.value(a.args[0]); // the first's chance in percent
    }
    celsOf(a, v) {
      const cels = (v.kind === "c" ? this.named.get(v.text) : this.ofObject.get(v.number)) || [];
      if (cels.length === 0)
        this.skip(a, v.kind === "c" ? `there is no cel "${v.text}"` : `no cel is in object #${v.number}`);
      return cels;
    }
    letCel(a, f) {
      const cels = this.celsOf(a, a.args[1]); // of several cels of that name, the first answers
      if (cels.length > 0) this.setVariable(a, f(cels[0]));
    }
    hasObject(a, o) {
      if (o >= 0 && o < this.state.fix.length) return true;
      this.skip(a, `there is no object #${o}`);
      return false;
    }
    letPlace(a, axis) {
      const o = a.args[1].number, places = this.state.positions[this.state.set];
      if (o < 0 || o >= places.length) return this.skip(a, `there is no object #${o}`);
      this.setVariable(a, places[o][axis]);
    }
    branch(a, at, frame, holds) {
      if (!holds(this.value(a.args[0]), this.value(a.args[1]))) frame.next = frame.handler.next[at];
    }
    // goto (frame: the one it ends, which the label's handler takes over) or gosub (no frame).
    jump(a, v, frame) {
      const label = this.labelOf(a, v);
      if (!label) return;
      if (frame) Object.assign(frame, { handler: label, next: 0 });
      else if (this.stack.length > kMaxDepth) this.skip(a, `gosub is nested deeper than ${kMaxDepth}`);
      else this.stack.push({ handler: label, next: 0 });
    }
    // A label's name wins over a variable's value, as FKiSS 4 has it.
    labelOf(a, v) {
      if (v.kind === "v" && this.index.has("label v:" + v.text)) return this.handlerOf(["label v:" + v.text]);
      const n = this.value(v);
      if (this.index.has("label n:" + n)) return this.handlerOf(["label n:" + n]);
      this.skip(a, `there is no label(${v.kind === "v" ? v.text + " = " : ""}${n})`);
    }
    // An object's place in the set shown, or undefined (with a note) when it has none.
    place(a, v) {
      const s = this.state, places = s.positions[s.set];
      if (v.number < 0 || v.number >= places.length) return this.skip(a, `there is no object #${v.number}`);
      const [x, y] = places[v.number];
      if (x === -1 && y === -1) return this.skip(a, `#${v.number} is not in set ${s.set}`);
      return places[v.number];
    }
    other(a, f) {
      const o = this.place(a, a.args[1]);
      return o && f(o);
    }
    moveBy(a, f) {
      const at = this.place(a, a.args[0]), to = at && f(at);
      if (!to) return;
      const [x, y] = [to[0] | 0, to[1] | 0];
      // The place -1,-1 stands for "not in this set": an object moved there would vanish.
      if (x === -1 && y === -1) return this.skip(a, "-1,-1 would take the object out of the set");
      this.state.positions[this.state.set][a.args[0].number] = [x, y];
    }
    moved(a) {
      const at = this.place(a, a.args[0]), home = this.state.home?.[this.state.set]?.[a.args[0].number];
      return at && home !== undefined && (home[0] !== at[0] || home[1] !== at[1]);
    }
    timerIf(a, holds) {
      if (holds) this.setTimer(this.value(a.args[1]), this.value(a.args[2]), 0);
    }
    // Sets an alarm's one timer: delay ms, plus up to variance more; 0 or less stops it. Only an
    // alarm with an alarm() event has one.
    setTimer(alarm, delay, variance) {
      this.hooks.cancel(this.timers.get(alarm)?.handle);
      this.timers.delete(alarm);
      this.armed?.delete(alarm);
      if (delay <= 0 || !this.index.has("alarm " + alarm)) return;
      const wait = Math.max(kMinDelay, delay + (variance > 0 ? this.randomIn(0, variance) : 0));
      const timer = { delay, variance, wait };
      this.timers.set(alarm, timer);
      if (this.armed) this.armed.set(alarm, timer);
      else this.arm(alarm, timer, 0);
    }
    arm(alarm, timer, least) {
      timer.handle = this.hooks.schedule(() => {
        if (this.timers.get(alarm) !== timer) return; // stopped or set anew since
        this.timers.delete(alarm);
        this.cause(() => this.run(this.handlerOf(["alarm " + alarm])));
      }, Math.max(timer.wait, least));
    }

    // The cels of a name or an object placed in the set shown and mapped.
    shown(by, k) {
      const set = this.state.set, cels = by.get(k) || [];
      this.spend(cels.length);
      return cels.filter((c) => c.mapped && ((c.sets ?? 1023) >> set) & 1);
    }
    // A cel's opaque box where its object stands, or null.
    boxOf(c) {
      const box = this.masks[c.mask]?.box, [x, y] = this.state.positions[this.state.set][c.object] || [-1, -1];
      if (!box || (x === -1 && y === -1)) return null;
      return { left: x + box.left, top: y + box.top, right: x + box.right, bottom: y + box.bottom };
    }
    objectBox(o) {
      const boxes = this.shown(this.ofObject, o).map((c) => this.masks[c.mask]?.box).filter(Boolean);
      if (boxes.length === 0) return null;
      return boxes.reduce((u, b) => ({ left: Math.min(u.left, b.left), top: Math.min(u.top, b.top),
        right: Math.max(u.right, b.right), bottom: Math.max(u.bottom, b.bottom) }));
    }
    static meet(p, q) {
      return p && q && p.left < q.right && q.left < p.right && p.top < q.bottom && q.top < p.bottom;
    }
    // Whether a cel of one list touches one of the other; each pair looked at is a step, so that
    // many cels of one name cannot make a cause endless.
    touching(first, second, touch) {
      for (const c of first)
        for (const d of second) {
          if (c === d) continue;
          if (!this.spend(1)) return false;
          if (touch(c, d)) return true;
        }
      return false;
    }
    // Objects touch when a rectangle of one meets a rectangle of the other (a cel's rectangle:
    // the box of its opaque pixels, as the page knows its pictures).
    objectsTouch(o1, o2) {
      return this.touching(this.shown(this.ofObject, o1), this.shown(this.ofObject, o2),
        (c, d) => Player.meet(this.boxOf(c), this.boxOf(d)));
    }
    // Cels of two names touch when an opaque pixel of one is on an opaque pixel of the other.
    celsTouch(n1, n2) {
      return this.touching(this.shown(this.named, n1), this.shown(this.named, n2), (c, d) => this.pixelsMeet(c, d));
    }
    pixelsMeet(c, d) {
      const p = this.boxOf(c), q = this.boxOf(d);
      if (!Player.meet(p, q)) return false;
      const places = this.state.positions[this.state.set], [cx, cy] = places[c.object], [dx, dy] = places[d.object];
      const first = this.masks[c.mask], second = this.masks[d.mask];
      for (let y = Math.max(p.top, q.top); y < Math.min(p.bottom, q.bottom); ++y) {
        const a = first.rows[y - cy - first.top] || [], b = second.rows[y - dy - second.top] || [];
        let i = 0, j = 0;
        while (i < a.length && j < b.length) {
          const a0 = a[i] + cx, a1 = a[i + 1] + cx, b0 = b[j] + dx, b1 = b[j + 1] + dx;
          if (a0 < b1 && b0 < a1) return true;
          if (a1 <= b1) i += 2;
          else j += 2;
        }
        if (!this.spend((1 + (i + j) / 2) / kRunsAStep)) return false;
      }
      return false;
    }
    involves(c, object) {
      if (c.a.kind === "o") return c.a.number === object || c.b.number === object;
      return (this.ofObject.get(object) || []).some((cel) => cel.name === c.a.text || cel.name === c.b.text);
    }
    touch(c) {
      return c.a.kind === "o" ? this.objectsTouch(c.a.number, c.b.number) : this.celsTouch(c.a.text, c.b.text);
    }
  }

  return { Player, kMaxSteps, kMinDelay, handled: { events: Object.keys(kSetOff), actions: Object.keys(kDo) } };
})();
if (typeof module !== "undefined") module.exports = Fkiss;
