"use strict";
// Plays the doll described by `doll` with its FKiSS program (fkiss.js's player): each set shows
// its cels at its objects' positions, earlier cels in front, hidden ones not at all, see-through
// ones as much as they let through. A press on a shown cel's opaque pixels is the program's press
// (and catch, or for a fixed object fixcatch, each try loosening it by one); an object that is not
// fixed is dragged as one, within the play area, the program told where it goes; letting go is
// its release and drop. What the program changes shows once it has run. The first frame is the
// start as the run left it: initialize() and begin() are not played again, their timers only
// started.
(() => {
  const stage = document.getElementById("stage");
  const bar = document.getElementById("sets");

  // Each picture's opaque runs by row: [first, end, first, end, ...].
  const rows = doll.masks.map((flat) => {
    const byRow = [];
    for (let i = 0; i < flat.length; i += 1 + 2 * flat[i]) byRow.push(flat.slice(i + 1, i + 1 + 2 * flat[i]));
    return byRow;
  });
  const opaque = (mask, x, y) => {
    const runs = rows[mask][y];
    if (!runs) return false;
    for (let i = 0; i < runs.length; i += 2) if (x >= runs[i] && x < runs[i + 1]) return true;
    return false;
  };

  // The player's state: the cel lines, and each set's places (none in a set the page does not have).
  const none = () => doll.fix.map(() => [-1, -1]);
  const positions = Array.from({ length: 10 }, none), home = Array.from({ length: 10 }, none);
  const cels = doll.cels.map(([name, object], line) =>
    ({ name, object, mapped: doll.mapped[line] === 1, transparency: doll.transparency[line], sets: 0, mask: -1 }));
  // Each cel line's pictures by palette group, those of the sets drawn in that group: a palette
  // change shows on a cel only where the page has a picture of it in the new group.
  const pictureIn = cels.map(() => new Map());
  for (const set of doll.sets) {
    positions[set.number] = set.x.map((x, o) => [x, set.y[o]]);
    home[set.number] = set.homeX.map((x, o) => [x, set.homeY[o]]);
    for (const [picture, , line] of set.cels) {
      cels[line].sets |= 1 << set.number;
      cels[line].mask = doll.pictures[picture][1];
      pictureIn[line].set(doll.groups[set.number], picture);
    }
  }
  const state = { cels, set: doll.sets[doll.start]?.number ?? 0, paletteGroup: doll.groups.slice(), positions, home,
    fix: doll.fix.slice(), variables: new Map(doll.variables), width: doll.width, height: doll.height };

  // A text of the doll, a character a byte: UTF-8 when it is that, Shift-JIS otherwise.
  const decoded = (text) => {
    const bytes = Uint8Array.from(text, (c) => c.charCodeAt(0));
    try {
      return new TextDecoder("utf-8", { fatal: true }).decode(bytes);
    } catch (e) {
      return new TextDecoder("shift_jis").decode(bytes);
    }
  };
  const notice = document.createElement("p");
  notice.id = "notice";
  notice.hidden = true;
  bar.after(notice);
  let touched = false; // a browser plays sound only once the visitor has touched the page
  // The page has no sound files beside it yet: a sound plays only when the data names a WAV file
  // for it, and otherwise nothing happens (AU and MIDI are never played).
  const sounds = new Map(doll.sounds || []);
  const player = new Fkiss.Player(doll.program, state, {
    sound: (name) => {
      if (touched && sounds.has(name) && /\.wav$/i.test(name)) new Audio(sounds.get(name)).play().catch(() => {});
    },
    notify: (text) => {
      notice.textContent = decoded(text);
      notice.hidden = false;
    },
    note: (text) => console.info("FKiSS " + decoded(text)),
    changed: () => render(),
  }, rows);

  // Every set's images, made once.
  const sets = doll.sets.map((set) => {
    const shown = set.cels.map(([picture, object, line]) => {
      const img = document.createElement("img");
      img.src = doll.pictures[picture][0];
      img.alt = "";
      img.draggable = false;
      img.dataset.object = object;
      return { img, picture, mask: doll.pictures[picture][1], object, line };
    });
    return { ...set, cels: shown };
  });
  let current = -1;

  // Shows the state: the player's set, each of its cels where, as and in the group it now is.
  const render = () => {
    const index = sets.findIndex((set) => set.number === state.set);
    if (index < 0) return;
    const set = sets[index], group = state.paletteGroup[set.number];
    if (index !== current) {
      current = index;
      stage.style.background = set.background;
      document.body.style.background = set.border;
      stage.replaceChildren(...set.cels.map((cel) => cel.img).reverse());
      for (const button of bar.children) button.setAttribute("aria-pressed", String(button.value === String(index)));
    }
    for (const cel of set.cels) {
      const { mapped, transparency } = cels[cel.line], [x, y] = positions[set.number][cel.object];
      const picture = pictureIn[cel.line].get(group) ?? cel.picture;
      if (picture !== cel.picture) {
        cel.img.src = doll.pictures[picture][0];
        Object.assign(cel, { picture, mask: doll.pictures[picture][1] });
      }
      cel.img.style.left = x + "px";
      cel.img.style.top = y + "px";
      cel.img.hidden = !mapped || transparency >= 255;
      cel.img.style.opacity = transparency > 0 ? String((255 - transparency) / 255) : "";
    }
  };

  sets.forEach((set, index) => {
    const button = document.createElement("button");
    button.type = "button";
    button.value = String(index);
    button.textContent = String(set.number);
    button.title = "set " + set.number;
    button.addEventListener("click", () => player.showSet(set.number));
    bar.append(button);
  });

  // Moves an object so that its opaque pixels stay within the play area.
  const moveTo = (set, object, x, y) => {
    const box = { left: Infinity, top: Infinity, right: -Infinity, bottom: -Infinity };
    for (const cel of set.cels) {
      const b = player.masks[cel.mask].box;
      if (cel.object !== object || !cels[cel.line].mapped || !b) continue;
      box.left = Math.min(box.left, b.left); box.right = Math.max(box.right, b.right);
      box.top = Math.min(box.top, b.top); box.bottom = Math.max(box.bottom, b.bottom);
    }
    const clamp = (v, low, high) => (high < low ? low : Math.min(Math.max(v, low), high));
    if (box.left !== Infinity) {
      x = clamp(x, -box.left, doll.width - box.right);
      y = clamp(y, -box.top, doll.height - box.bottom);
    }
    player.drag(object, x, y);
  };

  let held = null;
  const at = (event) => {
    const r = stage.getBoundingClientRect();
    return [Math.floor(event.clientX - r.left), Math.floor(event.clientY - r.top)];
  };
  stage.addEventListener("pointerdown", (event) => {
    touched = true;
    if (held || (event.pointerType === "mouse" && event.button !== 0) || current < 0) return;
    const set = sets[current], places = positions[set.number];
    const [px, py] = at(event);
    const cel = set.cels.find((c) => cels[c.line].mapped &&
      opaque(c.mask, px - places[c.object][0], py - places[c.object][1]));
    if (!cel) return;
    event.preventDefault();
    const loose = player.press(cel.line), [x, y] = places[cel.object];
    held = { pointer: event.pointerId, object: cel.object, loose, dx: x - px, dy: y - py };
    stage.classList.toggle("held", loose);
    try {
      stage.setPointerCapture(event.pointerId);
    } catch (e) {
      // a pointer that is no longer down: the move and up events still come to the stage
    }
  });
  stage.addEventListener("pointermove", (event) => {
    player.mouse = at(event);
    if (!held || event.pointerId !== held.pointer || !held.loose) return;
    moveTo(sets[current], held.object, player.mouse[0] + held.dx, player.mouse[1] + held.dy);
  });
  const release = (event) => {
    if (!held || event.pointerId !== held.pointer) return;
    held = null;
    stage.classList.remove("held");
    player.release();
  };
  stage.addEventListener("pointerup", release);
  stage.addEventListener("pointercancel", release);
  window.addEventListener("pagehide", () => player.end());

  render();
  player.startTimers(doll.timers);

  // Steps given after "#" replay gestures, for trying the page out from a command line:
  // "set:N" presses the button of the Nth set shown, "drag:X,Y,DX,DY[,TIMES]" drags from the
  // play area's pixel (X, Y) by (DX, DY), TIMES over, "press:X,Y" presses there and lets go.
  for (const step of decodeURIComponent(location.hash.slice(1)).split(";")) {
    const [name, args = ""] = step.split(":");
    const n = args.split(",").map(Number);
    if (name === "set" && bar.children[n[0]]) bar.children[n[0]].click();
    if (name === "press") n.push(0, 0);
    if ((name !== "drag" && name !== "press") || n.length < 4 || n.some(Number.isNaN)) continue;
    const r = stage.getBoundingClientRect();
    const fire = (type, x, y) =>
      stage.dispatchEvent(new PointerEvent(type, { bubbles: true, cancelable: true, pointerId: 1, isPrimary: true,
        pointerType: "mouse", button: 0, buttons: type === "pointerup" ? 0 : 1, clientX: r.left + x + 0.5, clientY: r.top + y + 0.5 }));
    for (let t = 0; t < (n[4] || 1); ++t) {
      fire("pointerdown", n[0], n[1]);
      if (name === "drag") fire("pointermove", n[0] + n[2], n[1] + n[3]);
      fire("pointerup", n[0] + n[2], n[1] + n[3]);
    }
  }
})();
