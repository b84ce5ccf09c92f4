"use strict";
// Plays the doll described by `doll` with its FKiSS program (fkiss.js's player): each set shows
// its cels at its objects' positions, earlier cels in front, hidden ones not at all, see-through
// ones as much as they let through. A press on a shown cel's opaque pixels is the program's press
// (and catch, or for a fixed object fixcatch, each try loosening it by one); an object that is not
// fixed is dragged as one, within the play area, the program told where it goes; letting go is
// its release and drop. What the program changes shows once it has run. The first frame is the
// start as the run left it: initialize() and begin() are not played again, their timers only
// started. Once it shows the doll, the page marks "kiss-ready" (performance.mark).
(async () => {
  const stage = document.getElementById("stage");
  const bar = document.getElementById("sets");
  // The script's time, measured around each handler, timer and drawing as "kiss-script" (the outermost
  // alone; performance.measure, let go at once: an observer sees them, the timeline keeps none).
  let depth = 0;
  const timed = (f) => (...args) => {
    const from = depth++ ? 0 : performance.now();
    try {
      return f(...args);
    } finally {
      if (--depth === 0) {
        performance.measure("kiss-script", { start: from });
        performance.clearMeasures("kiss-script");
      }
    }
  };

  // The pixels the page carries: every palette's 256 colours, then each image's pixels, one zlib
  // stream in base 64. An image is [width, height, kind, palette, the box of its opaque pixels:
  // left, top, right, bottom, and where it stands from its object's place: x, y (0, or a cel's
  // negative offset)]: kind 0 a byte a pixel, 1 a 4-bit
  // cel's pixels two a byte (high nibble first), which a palette group moves 16 colours on, 2 red,
  // green, blue and alpha. Boxes and opaque runs are kept from the object's place. An animation
  // (kind 2) adds how many times it plays (0: for ever) and each frame's delay in ms; its frames
  // follow each other, its box and presses are its first's.
  const packed = atob(doll.pixels), bytes = new Uint8Array(packed.length);
  for (let i = 0; i < packed.length; ++i) bytes[i] = packed.charCodeAt(i);
  const inflated = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("deflate"));
  const pixels = new Uint8Array(await new Response(inflated).arrayBuffer());
  let offset = 768 * doll.palettes;
  const images = doll.images.map(([width, height, kind, palette, left, top, right, bottom, x, y, plays, delays = [0]]) => {
    const size = (kind === 2 ? 4 * width * height : kind === 1 ? (width * height + 1) >> 1 : width * height) * delays.length;
    offset += size;
    return { width, height, kind, palette, packed: pixels.subarray(offset - size, offset), drawn: new Map(), x, y,
      box: right > left ? { left: left + x, top: top + y, right: right + x, bottom: bottom + y } : null, plays, delays,
      frame: 0 };
  });
  // An image's colour indices, a byte a pixel (its alpha bytes for kind 2), unpacked once.
  const indices = (image) => {
    if (image.indices) return image.indices;
    const { width, height, kind, packed: from } = image;
    let to = from;
    if (kind === 2) {
      to = new Uint8Array(width * height);
      for (let i = 0; i < to.length; ++i) to[i] = from[4 * i + 3];
    } else if (kind === 1) {
      to = new Uint8Array(width * height);
      for (let i = 0; i < to.length; ++i) to[i] = i & 1 ? from[i >> 1] & 15 : from[i >> 1] >> 4;
    }
    return (image.indices = to);
  };
  // A palette's colours in a group as pixels of an ImageData, one 32-bit word a colour index.
  const lookUps = new Map();
  const lookUp = (palette, group) => {
    const key = palette * 16 + group;
    if (lookUps.has(key)) return lookUps.get(key);
    const colours = new Uint8Array(1024);
    for (let v = 1; v < 256; ++v) {
      const c = 768 * palette + 3 * v;
      colours.set([pixels[c], pixels[c + 1], pixels[c + 2], 255], 4 * v); // colour 0 stays clear
    }
    const words = new Uint32Array(colours.buffer);
    lookUps.set(key, words);
    return words;
  };
  // An image's pixels in a palette group (an animation's: its frame shown), made once: colour 0
  // and alpha 0 are clear.
  const drawn = (image, group) => {
    if (image.kind !== 1) group = image.frame; // only a 4-bit cel's colours move with the group
    if (image.drawn.has(group)) return image.drawn.get(group);
    const data = new ImageData(Math.max(image.width, 1), Math.max(image.height, 1));
    const frame = 4 * image.width * image.height;
    if (image.kind === 2) data.data.set(image.packed.subarray(frame * group, frame * (group + 1)));
    else {
      const from = indices(image), to = new Uint32Array(data.data.buffer), words = lookUp(image.palette, 0);
      const shift = image.kind === 1 ? 16 * group : 0;
      for (let i = 0; i < from.length; ++i) if (from[i]) to[i] = words[(from[i] + shift) & 255];
    }
    image.drawn.set(group, data);
    return data;
  };
  // Each image's opaque runs by row: [first, end, first, end, ...], found when first needed; the
  // first row stands `top` below the object's place.
  const rows = images.map((image) => ({ box: image.box, top: image.y, rows: () => {
    const { width, height } = image, from = indices(image), byRow = [];
    for (let y = 0, i = 0; y < height; ++y) {
      const runs = [];
      for (let x = 0; x < width; ++x, ++i) if (runs.length % 2 === 0 ? from[i] !== 0 : from[i] === 0) runs.push(x + image.x);
      if (runs.length % 2) runs.push(width + image.x);
      byRow.push(runs);
    }
    return byRow;
  } }));
  const opaque = (mask, x, y) => {
    const box = player.masks[mask].box;
    if (!box || x < box.left || x >= box.right || y < box.top || y >= box.bottom) return false;
    const runs = player.masks[mask].rows[y - player.masks[mask].top];
    if (!runs) return false;
    for (let i = 0; i < runs.length; i += 2) if (x >= runs[i] && x < runs[i + 1]) return true;
    return false;
  };

  // The doll as the page opens it: the cel lines, and each set's places (none in a set the page
  // does not have).
  const none = () => doll.fix.map(() => [-1, -1]);
  const opening = () => {
    const positions = Array.from({ length: 10 }, none), home = Array.from({ length: 10 }, none);
    const cels = doll.cels.map(([name, object], line) =>
      ({ name, object, mapped: doll.mapped[line] === 1, transparency: doll.transparency[line], sets: 0, mask: -1 }));
    for (const set of doll.sets) {
      positions[set.number] = set.x.map((x, o) => [x, set.y[o]]);
      home[set.number] = set.homeX.map((x, o) => [x, set.homeY[o]]);
      for (const [image, , line] of set.cels) {
        cels[line].sets |= 1 << set.number;
        cels[line].mask = image;
      }
    }
    return { cels, set: doll.sets[doll.start]?.number ?? 0, paletteGroup: doll.groups.slice(), positions, home,
      fix: doll.fix.slice(), variables: new Map(doll.variables), width: doll.width, height: doll.height };
  };
  const start = opening(), state = opening(), { cels, positions } = state;

  // A text of the doll, a character a byte: UTF-8 when it is that, Shift-JIS otherwise.
  const decoded = (text) => {
    const bytes = Uint8Array.from(text, (c) => c.charCodeAt(0));
    try {
      return new TextDecoder("utf-8", { fatal: true }).decode(bytes);
    } catch (e) {
      return new TextDecoder("shift_jis").decode(bytes);
    }
  };
  const notice = document.getElementById("notice");
  // The doll's sounds, each a WAV file inline (an AU file made one by the run; MIDI is not
  // played), by name as the program writes it, A to Z lowered. A browser plays sound only once
  // the visitor has touched, clicked or typed on the page; until then, and while the mute button
  // is down, a sound is let go.
  let touched = false, muted = false;
  for (const type of ["pointerdown", "keydown"]) document.addEventListener(type, () => (touched = true), true);
  const sounds = new Map((doll.sounds || []).map(([name, url]) => [name, { url, audio: null }]));
  const mute = document.getElementById("mute");
  mute.hidden = sounds.size === 0;
  mute.addEventListener("click", () => {
    muted = !muted;
    mute.setAttribute("aria-pressed", String(muted));
    if (muted) for (const sound of sounds.values()) sound.audio?.pause();
  });
  const play = (name) => {
    const sound = sounds.get(name);
    if (!touched || muted || !sound) return;
    if (!sound.audio) { // kept in the page, out of sight, so that it plays to its end
      sound.audio = document.body.appendChild(new Audio(sound.url));
      sound.audio.dataset.sound = name;
    }
    sound.audio.currentTime = 0;
    sound.audio.play().catch(() => {}); // a sound the browser cannot play is let go
  };
  // What the program plays and shows, once it has run: each sound started once, the last text.
  const sounding = new Set();
  let said = null;
  const player = new Fkiss.Player(doll.words, doll.program, state, {
    schedule: (f, ms) => setTimeout(timed(f), ms),
    sound: (written) => sounding.add(written.replace(/[A-Z]/g, (c) => c.toLowerCase())),
    notify: (text) => (said = text),
    note: (text) => console.info("FKiSS " + decoded(text)),
    changed: () => {
      sounding.forEach(play);
      sounding.clear();
      if (said !== null) {
        notice.textContent = decoded(said);
        notice.hidden = false;
        said = null;
      }
      render();
    },
  }, rows);

  // A cel's name as the page shows it: lowered, without its extension.
  const nameOf = (line) => decoded(cels[line].name).toLowerCase().replace(/\.[^.]*$/, "");
  // Every set's pictures, a canvas a cel drawn in its group when shown, and a focusable stand-in
  // for each of its objects, named after the object's first cel, that the keyboard moves and
  // presses (the pictures take no focus).
  const sets = doll.sets.map((set) => ({ ...set, lines: set.cels, cels: null, objects: null }));
  const build = (set) => {
    if (set.cels) return;
    const shown = set.lines.map(([image, object, line]) => {
      const img = document.createElement("canvas");
      img.width = images[image].width;
      img.height = images[image].height;
      img.dataset.cel = nameOf(line);
      img.dataset.object = object;
      return { img, image: images[image], group: -1, mask: image, object, line };
    });
    const first = new Map(); // each object's first cel line
    for (const cel of shown) if (!first.has(cel.object)) first.set(cel.object, cel.line);
    const objects = [...first.keys()].sort((a, b) => a - b).map((object) => {
      const key = document.createElement("div");
      key.className = "object";
      key.tabIndex = 0;
      key.setAttribute("role", "button");
      key.setAttribute("aria-label", nameOf(first.get(object)));
      key.dataset.object = object;
      return { key, object };
    });
    Object.assign(set, { cels: shown, objects });
  };
  let current = -1, shownGroup = -1;

  const view = document.getElementById("view"), frame = document.getElementById("frame");
  stage.style.width = doll.width + "px";
  stage.style.height = doll.height + "px";
  // The play area as wide as the window lets it be: scaled down, never up (a picture blurs).
  const fit = () => {
    const padding = parseFloat(getComputedStyle(frame).paddingLeft) * 2;
    const k = Math.max(0.05, Math.min(1, (document.documentElement.clientWidth - padding) / doll.width));
    stage.style.transform = k < 1 ? `scale(${k})` : "";
    view.style.width = doll.width * k + "px";
    view.style.height = doll.height * k + "px";
  };
  fit();
  window.addEventListener("resize", fit);

  // The pose in the address, so that a copied link or a reload opens it; the link beside the set
  // buttons always points at it, the address follows once the doll has been still a moment (a
  // browser limits how often a page may change its address).
  const link = document.getElementById("pose");
  let writing = 0;
  const keep = () => {
    const pose = Pose.write(start, state);
    link.setAttribute("href", "#" + (pose && "pose=" + pose));
    if (writing) return;
    writing = setTimeout(() => {
      writing = 0;
      if (link.getAttribute("href") === (location.hash || "#")) return; // the address already has it
      try {
        history.replaceState(null, "", link.getAttribute("href"));
      } catch (e) {
        location.replace(link.getAttribute("href")); // where the history may not be rewritten
      }
    }, 300);
  };

  // Writes what changed of an element's place and look: a value written again costs the browser as much as a new one.
  const restyle = (element, style, hidden) => {
    const key = hidden + Object.values(style).join();
    if (element.shownAs === key) return;
    element.shownAs = key;
    element.hidden = hidden;
    Object.assign(element.style, style);
  };
  // Shows the state: the player's set, each of its cels where, as and in the group it now is.
  const render = timed(() => {
    const index = sets.findIndex((set) => set.number === state.set);
    if (index < 0) return;
    const set = sets[index], group = state.paletteGroup[set.number];
    if (index !== current) {
      current = index;
      build(set);
      stage.replaceChildren(...set.cels.map((cel) => cel.img).reverse(), ...set.objects.map((o) => o.key));
      for (const button of bar.children) button.setAttribute("aria-pressed", String(button.value === String(index)));
    }
    const [background, border] = doll.colours[group] ?? ["#000000", "#000000"];
    if (shownGroup !== group) { // the play area and its border in the set's group
      shownGroup = group;
      stage.style.background = background;
      document.body.style.background = border;
      const rgb = parseInt(border.slice(1), 16); // text that shows on the border, dark or light
      document.body.style.color = 0.3 * (rgb >> 16) + 0.59 * ((rgb >> 8) & 255) + 0.11 * (rgb & 255) > 140 ? "#000" : "#fff";
    }
    const boxes = new Map();
    for (const cel of set.cels) {
      const { mapped, transparency } = cels[cel.line], [x, y] = positions[set.number][cel.object];
      const shown = group + 16 * cel.image.frame; // what the canvas holds: the group and the frame
      if (mapped && transparency < 255 && cel.group !== shown && cel.img.width > 0 && cel.img.height > 0) {
        cel.img.getContext("2d").putImageData(drawn(cel.image, group), 0, 0);
        cel.group = shown;
      }
      restyle(cel.img, { left: x + cel.image.x + "px", top: y + cel.image.y + "px",
        opacity: transparency > 0 ? String((255 - transparency) / 255) : "" }, !mapped || transparency >= 255);
      const b = player.masks[cel.mask]?.box, u = boxes.get(cel.object);
      if (!mapped || !b) continue;
      boxes.set(cel.object, u ? { left: Math.min(u.left, x + b.left), top: Math.min(u.top, y + b.top),
        right: Math.max(u.right, x + b.right), bottom: Math.max(u.bottom, y + b.bottom) }
        : { left: x + b.left, top: y + b.top, right: x + b.right, bottom: y + b.bottom });
    }
    for (const { key, object } of set.objects) {
      const box = boxes.get(object);
      restyle(key, box ? { left: box.left + "px", top: box.top + "px", width: box.right - box.left + "px",
        height: box.bottom - box.top + "px" } : {}, !box);
    }
    keep();
  });

  // A button for each set the configuration has a "$" line for.
  sets.forEach((set, index) => {
    if (!set.defined) return;
    const button = document.createElement("button");
    button.type = "button";
    button.value = String(index);
    button.textContent = String(set.number);
    button.title = "set " + set.number;
    button.addEventListener("click", timed(() => player.showSet(set.number)));
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

  // A press on a cel: what the program does, and whether its object comes along.
  let held = null;
  const take = (cel, how) => {
    const loose = player.press(cel.line);
    held = { ...how, object: cel.object, loose };
    stage.classList.toggle("held", loose);
  };
  const letGo = () => {
    held = null;
    stage.classList.remove("held");
    player.release();
  };

  // The play area's pixel under a pointer, the area scaled or not.
  const at = (event) => {
    const r = stage.getBoundingClientRect(), k = r.width / doll.width || 1;
    return [Math.floor((event.clientX - r.left) / k), Math.floor((event.clientY - r.top) / k)];
  };
  stage.addEventListener("pointerdown", timed((event) => {
    if (held || (event.pointerType === "mouse" && event.button !== 0) || current < 0) return;
    const set = sets[current], places = positions[set.number];
    const [px, py] = at(event);
    const cel = set.cels.find((c) => cels[c.line].mapped &&
      opaque(c.mask, px - places[c.object][0], py - places[c.object][1]));
    if (!cel) return;
    event.preventDefault();
    const [x, y] = places[cel.object];
    take(cel, { pointer: event.pointerId, dx: x - px, dy: y - py });
    try {
      stage.setPointerCapture(event.pointerId);
    } catch (e) {
      // a pointer that is no longer down: the move and up events still come to the stage
    }
  }));
  // A finger that takes hold of a loose object drags it; anywhere else it scrolls and zooms the page.
  for (const type of ["touchstart", "touchmove"])
    stage.addEventListener(type, (event) => held?.loose && held.pointer !== undefined && event.preventDefault(), { passive: false });
  stage.addEventListener("pointermove", timed((event) => {
    player.mouse = at(event);
    if (!held || event.pointerId !== held.pointer || !held.loose) return;
    moveTo(sets[current], held.object, player.mouse[0] + held.dx, player.mouse[1] + held.dy);
  }));
  const release = timed((event) => held && event.pointerId === held.pointer && letGo());
  stage.addEventListener("pointerup", release);
  stage.addEventListener("pointercancel", release);

  // The keyboard on an object's stand-in: an arrow key takes hold of it (its press) and moves it
  // by a pixel, 10 with Shift, as long as it is held down; Enter or Space presses it and lets go.
  const arrows = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
  stage.addEventListener("keydown", timed((event) => {
    const object = Number(event.target.dataset.object), step = arrows[event.key];
    const press = event.key === "Enter" || event.key === " ";
    if (!event.target.classList.contains("object") || current < 0 || (!step && !press)) return;
    event.preventDefault();
    const set = sets[current], cel = set.cels.find((c) => c.object === object && cels[c.line].mapped);
    if (!cel || (held && !held.key)) return;
    if (!held) take(cel, { key: true });
    if (press) return letGo();
    if (!held.loose) return;
    const [x, y] = positions[set.number][object], by = event.shiftKey ? 10 : 1;
    moveTo(set, object, x + step[0] * by, y + step[1] * by);
  }));
  const keyUp = timed((event) => held?.key && (event.type === "focusout" || arrows[event.key]) && letGo());
  stage.addEventListener("keyup", keyUp);
  stage.addEventListener("focusout", keyUp);
  window.addEventListener("pagehide", () => player.end());

  // Back to the start: places, cels shown and see-through, groups, fixes, variables and timers.
  const restart = () => {
    const from = opening();
    cels.forEach((c, line) => Object.assign(c, { mapped: from.cels[line].mapped, transparency: from.cels[line].transparency }));
    from.positions.forEach((places, n) => (positions[n] = places));
    Object.assign(state, { set: from.set, paletteGroup: from.paletteGroup, fix: from.fix, variables: from.variables });
    if (held) letGo();
    for (const alarm of [...player.timers.keys()]) player.setTimer(alarm, 0, 0);
    player.startTimers(doll.timers);
    notice.hidden = true;
  };
  const reset = document.getElementById("reset");
  reset.addEventListener("click", timed(() => {
    restart();
    render();
  }));

  // What the play area shows as a PNG file at the doll's own size, whatever the zoom, named after the doll and the set:
  // the set's background, then each picture shown from the back, as see-through as it is shown. The button, or S.
  const save = () => {
    const picture = Object.assign(document.createElement("canvas"), { width: doll.width, height: doll.height });
    const context = picture.getContext("2d");
    context.fillStyle = (doll.colours[shownGroup] ?? ["#000000"])[0];
    context.fillRect(0, 0, doll.width, doll.height);
    for (const img of stage.querySelectorAll("canvas:not([hidden])")) {
      context.globalAlpha = Number(img.style.opacity || 1);
      if (img.width > 0 && img.height > 0) context.drawImage(img, parseFloat(img.style.left), parseFloat(img.style.top));
    }
    const name = `${document.title} set ${state.set}.png`.replace(/[\\/:*?"<>|\x00-\x1f]/g, "_");
    picture.toBlob((png) => {
      const link = Object.assign(document.createElement("a"), { href: URL.createObjectURL(png), download: name });
      link.click();
      setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    }, "image/png");
  };
  document.getElementById("save").addEventListener("click", save);
  document.addEventListener("keydown", (e) => // typed, not a link's step: a page saves nothing by itself
    e.isTrusted && (e.key === "s" || e.key === "S") && !e.ctrlKey && !e.metaKey && !e.altKey && save());

  // The author's texts, shown as text.
  const about = document.getElementById("about");
  for (const [name, text] of doll.readmes) {
    const heading = document.createElement("h2"), body = document.createElement("pre");
    heading.textContent = name;
    body.textContent = text;
    about.append(heading, body);
  }
  about.hidden = doll.readmes.length === 0;

  // The fragment after "#": a pose ("pose=..."), then steps that replay gestures, for trying the
  // page out from a command line: "set:N" presses the button of the Nth set shown, "reset" the
  // reset button, "mute" the mute button, "drag:X,Y,DX,DY[,TIMES]" drags from the play area's pixel (X, Y) by (DX, DY),
  // TIMES over, "press:X,Y" presses there and lets go, "key:KEY[,shift]" types a key on the object
  // in focus (Tab: the next object, as the browser's Tab goes). 1000 steps at most, a drag's each
  // time a step, and none after kStepsMillis (loose enough for a busy machine to run a short list whole): a link cannot
  // keep the page from its visitor.
  const fragment = () => {
    try {
      return decodeURIComponent(location.hash.slice(1));
    } catch (e) {
      return location.hash.slice(1);
    }
  };
  const shownSets = sets.map((set) => set.number);
  const posed = (text) => Pose.read(text.split(";").find((step) => step.startsWith("pose="))?.slice(5), state, start, shownSets);
  posed(fragment());
  render();
  player.startTimers(doll.timers);
  // Each animation plays from the page's start, frame after frame, `plays` times (0: for ever),
  // then stays on its last frame; it is shown wherever a set shows it. Its frame is the one the
  // time since the start falls in, so that late timers never put it behind.
  const begun = performance.now();
  for (const image of images) {
    if (image.delays.length < 2) continue;
    const cycle = image.delays.reduce((a, b) => a + b);
    const next = () => {
      const t = performance.now() - begun, round = Math.floor(t / cycle);
      let into = t - round * cycle, frame = 0;
      if (image.plays > 0 && round >= image.plays) [frame, into] = [image.delays.length - 1, -Infinity];
      else while (into >= image.delays[frame]) into -= image.delays[frame++];
      if (frame !== image.frame) {
        image.frame = frame;
        render();
      }
      if (into !== -Infinity) setTimeout(next, image.delays[frame] - into);
    };
    setTimeout(next, image.delays[0]);
  }
  // A pose link followed in the page itself: the doll as the link has it.
  window.addEventListener("hashchange", () => {
    if (location.hash === link.getAttribute("href")) return;
    restart();
    posed(fragment());
    render();
  });

  const kMaxSteps = 1000, kStepsMillis = 500, until = performance.now() + kStepsMillis;
  let steps = 0;
  // Whether one step more may run; the first that may not is noted.
  const more = () => {
    if (++steps <= kMaxSteps && performance.now() < until) return true;
    if (steps !== Infinity)
      console.info(`the address's steps are cut after ${steps - 1} (${kMaxSteps} at most, ${kStepsMillis} ms)`);
    steps = Infinity;
    return false;
  };
  for (const step of fragment().split(";")) {
    if (!more()) break;
    const [name, args = ""] = step.split(":");
    const n = args.split(",").map(Number);
    if (name === "set" && bar.children[n[0]]) bar.children[n[0]].click();
    if (name === "reset") reset.click();
    if (name === "mute") mute.click();
    if (name === "key") {
      const keys = [...stage.querySelectorAll(".object:not([hidden])")];
      if (args === "Tab") keys[(keys.indexOf(document.activeElement) + 1) % keys.length]?.focus();
      const [key, shift] = args.split(",");
      for (const type of ["keydown", "keyup"])
        document.activeElement.dispatchEvent(new KeyboardEvent(type, { key, shiftKey: shift === "shift", bubbles: true, cancelable: true }));
    }
    if (name === "press") n.push(0, 0);
    if ((name !== "drag" && name !== "press") || n.length < 4 || n.some(Number.isNaN)) continue;
    const r = stage.getBoundingClientRect(), k = r.width / doll.width || 1;
    const fire = (type, x, y) =>
      stage.dispatchEvent(new PointerEvent(type, { bubbles: true, cancelable: true, pointerId: 1, isPrimary: true,
        pointerType: "mouse", button: 0, buttons: type === "pointerup" ? 0 : 1,
        clientX: r.left + (x + 0.5) * k, clientY: r.top + (y + 0.5) * k }));
    for (let t = 0; t < (n[4] || 1) && (t === 0 || more()); ++t) {
      fire("pointerdown", n[0], n[1]);
      if (name === "drag") fire("pointermove", n[0] + n[2], n[1] + n[3]);
      fire("pointerup", n[0] + n[2], n[1] + n[3]);
    }
  }
  performance.mark("kiss-ready");
})();
