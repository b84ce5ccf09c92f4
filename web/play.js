"use strict";
// Plays the doll described by `doll`: each set shows its cels at its objects' positions, earlier
// cels in front, hidden ones not at all, see-through ones as much as they let through; an object
// is dragged as one by any of its shown cels' opaque pixels, unless it is fixed, when each try
// loosens it by one; objects stay within the play area.
(() => {
  const stage = document.getElementById("stage");
  const bar = document.getElementById("sets");
  const fix = doll.fix.slice();
  const mapped = doll.mapped.map(Boolean); // by cel line
  const transparency = doll.transparency.slice();

  // Each picture's opaque runs by row: [first, end, first, end, ...].
  const rows = doll.masks.map((flat) => {
    const byRow = [];
    for (let i = 0; i < flat.length; i += 1 + 2 * flat[i]) byRow.push(flat.slice(i + 1, i + 1 + 2 * flat[i]));
    return byRow;
  });
  const boxes = rows.map((byRow) => {
    const box = { left: Infinity, top: Infinity, right: -Infinity, bottom: -Infinity };
    byRow.forEach((runs, y) => {
      if (runs.length === 0) return;
      box.left = Math.min(box.left, runs[0]);
      box.right = Math.max(box.right, runs[runs.length - 1]);
      box.top = Math.min(box.top, y);
      box.bottom = y + 1;
    });
    return box;
  });
  const opaque = (mask, x, y) => {
    const runs = rows[mask][y];
    if (!runs) return false;
    for (let i = 0; i < runs.length; i += 2) if (x >= runs[i] && x < runs[i + 1]) return true;
    return false;
  };

  // Every set's images, made once; moving an object in a set keeps it there on coming back.
  const sets = doll.sets.map((set) => {
    const cels = set.cels.map(([picture, object, line]) => {
      const img = document.createElement("img");
      img.src = doll.pictures[picture][0];
      img.alt = "";
      img.draggable = false;
      img.dataset.object = object;
      return { img, mask: doll.pictures[picture][1], object, line };
    });
    return { ...set, x: set.x.slice(), y: set.y.slice(), cels };
  });
  let current = 0;

  const place = (set, object) => {
    for (const cel of set.cels) {
      if (cel.object !== object) continue;
      cel.img.style.left = set.x[object] + "px";
      cel.img.style.top = set.y[object] + "px";
      cel.img.hidden = !mapped[cel.line] || transparency[cel.line] >= 255;
      cel.img.style.opacity = transparency[cel.line] > 0 ? String((255 - transparency[cel.line]) / 255) : "";
    }
  };

  const show = (index) => {
    current = index;
    const set = sets[index];
    stage.style.background = set.background;
    document.body.style.background = set.border;
    for (const cel of set.cels) place(set, cel.object);
    stage.replaceChildren(...set.cels.map((cel) => cel.img).reverse());
    for (const button of bar.children) button.setAttribute("aria-pressed", String(button.value === String(index)));
  };

  sets.forEach((set, index) => {
    const button = document.createElement("button");
    button.type = "button";
    button.value = String(index);
    button.textContent = String(set.number);
    button.title = "set " + set.number;
    button.addEventListener("click", () => show(index));
    bar.append(button);
  });

  // Moves an object so that its opaque pixels stay within the play area.
  const moveTo = (set, object, x, y) => {
    const box = { left: Infinity, top: Infinity, right: -Infinity, bottom: -Infinity };
    for (const cel of set.cels) {
      if (cel.object !== object || !mapped[cel.line]) continue;
      const b = boxes[cel.mask];
      box.left = Math.min(box.left, b.left); box.right = Math.max(box.right, b.right);
      box.top = Math.min(box.top, b.top); box.bottom = Math.max(box.bottom, b.bottom);
    }
    const clamp = (v, low, high) => (high < low ? low : Math.min(Math.max(v, low), high));
    if (box.left !== Infinity) {
      x = clamp(x, -box.left, doll.width - box.right);
      y = clamp(y, -box.top, doll.height - box.bottom);
    }
    set.x[object] = x;
    set.y[object] = y;
    place(set, object);
  };

  let held = null;
  const at = (event) => {
    const r = stage.getBoundingClientRect();
    return [Math.floor(event.clientX - r.left), Math.floor(event.clientY - r.top)];
  };
  stage.addEventListener("pointerdown", (event) => {
    if (held || (event.pointerType === "mouse" && event.button !== 0) || sets.length === 0) return;
    const set = sets[current];
    const [px, py] = at(event);
    const cel = set.cels.find((c) => mapped[c.line] && opaque(c.mask, px - set.x[c.object], py - set.y[c.object]));
    if (!cel) return;
    event.preventDefault();
    if (fix[cel.object] > 0) {
      --fix[cel.object];
      return;
    }
    held = { pointer: event.pointerId, object: cel.object, dx: set.x[cel.object] - px, dy: set.y[cel.object] - py };
    stage.classList.add("held");
    try {
      stage.setPointerCapture(event.pointerId);
    } catch (e) {
      // a pointer that is no longer down: the move and up events still come to the stage
    }
  });
  stage.addEventListener("pointermove", (event) => {
    if (!held || event.pointerId !== held.pointer) return;
    const [px, py] = at(event);
    moveTo(sets[current], held.object, px + held.dx, py + held.dy);
  });
  const release = (event) => {
    if (!held || event.pointerId !== held.pointer) return;
    held = null;
    stage.classList.remove("held");
  };
  stage.addEventListener("pointerup", release);
  stage.addEventListener("pointercancel", release);

  if (sets.length > 0) show(doll.start);

  // Steps given after "#" replay gestures, for trying the page out from a command line:
  // "set:N" presses the button of the Nth set shown, "drag:X,Y,DX,DY[,TIMES]" drags from the
  // play area's pixel (X, Y) by (DX, DY), TIMES over.
  for (const step of decodeURIComponent(location.hash.slice(1)).split(";")) {
    const [name, args = ""] = step.split(":");
    const n = args.split(",").map(Number);
    if (name === "set" && bar.children[n[0]]) bar.children[n[0]].click();
    if (name !== "drag" || n.length < 4 || n.some(Number.isNaN)) continue;
    const r = stage.getBoundingClientRect();
    const fire = (type, x, y) =>
      stage.dispatchEvent(new PointerEvent(type, { bubbles: true, cancelable: true, pointerId: 1, isPrimary: true,
        pointerType: "mouse", button: 0, buttons: type === "pointerup" ? 0 : 1, clientX: r.left + x + 0.5, clientY: r.top + y + 0.5 }));
    for (let t = 0; t < (n[4] || 1); ++t) {
      fire("pointerdown", n[0], n[1]);
      fire("pointermove", n[0] + n[2], n[1] + n[3]);
      fire("pointerup", n[0] + n[2], n[1] + n[3]);
    }
  }
})();
