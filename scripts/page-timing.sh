#!/usr/bin/env bash
# Times a doll's page in headless Chromium, opened from disk: how long from the start of its
# load until the doll is interactive (its script has run: the load event), and the frames of a
# drag of 240 pointer moves, one a frame (a second after the load), over an opaque pixel of the first movable object.
# Usage: bash scripts/page-timing.sh PAGE.html [RUNS]   (prints one line a run)
set -euo pipefail
page=$(realpath "$1")
runs=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/timing.html" <<HTML
<!DOCTYPE html><html><body><iframe id="f" width="1200" height="900"></iframe><script>
const f = document.getElementById("f"), t0 = performance.now();
f.onload = () => {
  const loaded = performance.now() - t0, d = f.contentDocument, w = f.contentWindow;
  const stage = d.getElementById("stage"), r = stage.getBoundingClientRect();
  // The first opaque pixel of a shown object, found through the page's own hit test.
  let from = null;
  for (let y = 0; y < r.height && !from; y += 4)
    for (let x = 0; x < r.width && !from; x += 4) {
      stage.dispatchEvent(new w.PointerEvent("pointerdown", { bubbles: true, pointerId: 1, button: 0, buttons: 1,
        pointerType: "mouse", clientX: r.left + x, clientY: r.top + y }));
      if (stage.classList.contains("held")) from = [r.left + x, r.top + y];
      stage.dispatchEvent(new w.PointerEvent("pointerup", { bubbles: true, pointerId: 1, pointerType: "mouse",
        clientX: r.left + x, clientY: r.top + y }));
    }
  if (!from) { console.log("timing: interactive in " + loaded.toFixed(0) + " ms, nothing to drag"); return; }
  stage.dispatchEvent(new w.PointerEvent("pointerdown", { bubbles: true, pointerId: 1, button: 0, buttons: 1,
    pointerType: "mouse", clientX: from[0], clientY: from[1] }));
  const frames = [];
  let last = performance.now(), n = 0;
  const step = (now) => {
    frames.push(now - last);
    last = now;
    stage.dispatchEvent(new w.PointerEvent("pointermove", { bubbles: true, pointerId: 1, buttons: 1,
      pointerType: "mouse", clientX: from[0] + (n % 60), clientY: from[1] + (n % 40) }));
    if (++n < 240) return requestAnimationFrame(step);
    frames.shift();
    frames.sort((a, b) => a - b);
    const mean = frames.reduce((a, b) => a + b, 0) / frames.length, at = (q) => frames[Math.floor(q * frames.length)];
    console.log("timing: interactive in " + loaded.toFixed(0) + " ms; drag: " + (1000 / mean).toFixed(1) +
      " frames a second, median frame " + at(0.5).toFixed(1) + " ms, 95th percentile " + at(0.95).toFixed(1) +
      " ms, slowest " + frames[frames.length - 1].toFixed(1) + " ms");
  };
  setTimeout(() => requestAnimationFrame(step), 1000); // once the first picture is on the screen
};
f.src = "file://$page";
</script></body></html>
HTML
# Chromium runs until it is stopped: what the page says is in its log.
for _ in $(seq "$runs"); do
  timeout 30 chromium --headless --no-sandbox --disable-gpu --allow-file-access-from-files \
    --no-first-run --user-data-dir="$work/profile" --window-size=1280,1000 --enable-logging=stderr \
    "file://$work/timing.html" 2>&1 | grep -m1 -o 'timing: [^"]*' | sed 's/^timing: //' &&
    pkill -f "$work/timing.html" || true
done
