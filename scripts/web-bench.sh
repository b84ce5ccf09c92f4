#!/usr/bin/env bash
# Measures the browser app (dist/web/index.html, scripts/build-web.sh) against its budgets and
# prints one line for each: the module's size (at most 1 MB) and gzipped (at most 400 KB); in
# headless Chromium, opened from disk, the time from the navigation until the app answers input
# ("kiss-app-interactive", at most 0.5 s) and until the convertor is ready ("kiss-app-ready"),
# the median of RUNS fresh loads; then, with DOLL dropped (2ranmas by default), the time from the
# drop, or from the choice of each other configuration, to the doll's page showing its first
# frame ("kiss-ready" in the frame), at most 1 s each.
#
# Usage: bash scripts/web-bench.sh [DOLL.lzh] [RUNS]   (RUNS of the load, default 5)
# Exit status: 0 when every budget holds, 1 when one is missed, 2 when it cannot run.
set -euo pipefail
cd "$(dirname "$0")/.."
app=dist/web/index.html wasm=build/wasm/cli/kiss.wasm
[ -f "$app" ] && [ -f "$wasm" ] || { echo "web-bench: no app (bash scripts/build-web.sh)" >&2 && exit 2; }
doll=${1:-../shared/dolls/2ranmas.lzh}
[ -f "$doll" ] || { echo "web-bench: no $doll" >&2 && exit 2; }
[ -x /usr/bin/chromium ] || { echo "web-bench: no /usr/bin/chromium (bash scripts/setup.sh --tests)" >&2 && exit 2; }
[ -d tests/web/node_modules/playwright-core ] ||
  (cd tests/web && npm ci --prefer-offline --no-audit --no-fund --silent) || exit 2
status=0
size=$(stat -c %s "$wasm") gz=$(gzip -9c "$wasm" | wc -c)
printf 'module: %d bytes (budget 1048576) %s\n' "$size" "$([ "$size" -le 1048576 ] && echo ok || echo OVER)"
printf 'module gzipped: %d bytes (budget 409600) %s\n' "$gz" "$([ "$gz" -le 409600 ] && echo ok || echo OVER)"
[ "$size" -le 1048576 ] && [ "$gz" -le 409600 ] || status=1
APP=$(realpath "$app") DOLL=$(realpath "$doll") RUNS=${2:-5} node --input-type=module - <<'SCRIPT' || status=$?
const { chromium } = await import(process.cwd() + "/tests/web/node_modules/playwright-core/index.mjs");
const { readFileSync } = await import("node:fs");
const { basename } = await import("node:path");
const browser = await chromium.launch({ executablePath: "/usr/bin/chromium" });
const median = (list) => [...list].sort((a, b) => a - b)[Math.floor(list.length / 2)];
const mark = (page, name) => page.waitForFunction((n) => performance.getEntriesByName(n)[0]?.startTime, name, { timeout: 30000 })
  .then((handle) => handle.jsonValue());
let missed = false;
const line = (what, ms, budget) => {
  const over = budget !== undefined && ms > budget;
  missed ||= over;
  console.log(`${what}: ${Math.round(ms)} ms${budget === undefined ? "" : ` (budget ${budget}) ${over ? "OVER" : "ok"}`}`);
};

const interactive = [], ready = [];
for (let run = 0; run < Number(process.env.RUNS); ++run) {
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.goto("file://" + process.env.APP);
  interactive.push(await mark(page, "kiss-app-interactive"));
  ready.push(await mark(page, "kiss-app-ready"));
  await context.close();
}
line("app interactive from file:// (median)", median(interactive), 500);
line("convertor ready from file:// (median)", median(ready));

// The time from an action in the app to the first frame of the doll's page, both as wall-clock
// times (the frame is a document of its own, with its own time origin).
const page = await browser.newPage();
await page.goto("file://" + process.env.APP);
await mark(page, "kiss-app-ready");
const shown = async (act) => {
  await page.evaluate(() => { document.getElementById("player").srcdoc = ""; });
  const started = await page.evaluate(() => performance.timeOrigin + performance.now());
  await act();
  const frame = await (await page.$("#player")).contentFrame();
  for (const deadline = Date.now() + 30000; Date.now() < deadline; await new Promise((done) => setTimeout(done, 10))) {
    const at = await frame.evaluate(() => {
      const ready = performance.getEntriesByName("kiss-ready")[0];
      return ready ? performance.timeOrigin + ready.startTime : 0;
    }).catch(() => 0);
    if (at) return at - started;
  }
  return NaN;
};
const name = basename(process.env.DOLL), bytes = readFileSync(process.env.DOLL);
const first = await shown(() => page.setInputFiles("#pick", { name, mimeType: "application/octet-stream", buffer: bytes }));
const converted = () => page.textContent("#status").then((text) => text.match(/\d+ ms/)?.[0] ?? "?");
const options = await page.$$eval("#cnf option", (list) => list.map((o) => [o.value, o.textContent]));
line(`${options[0]?.[1] ?? name}: drop to first frame (converted in ${await converted()})`, first, 1000);
for (const [value, label] of options.slice(1)) {
  const ms = await shown(() => page.selectOption("#cnf", value));
  line(`${label}: choice to first frame (converted in ${await converted()})`, ms, 1000);
}
await browser.close();
process.exit(missed ? 1 : 0);
SCRIPT
exit "$status"
