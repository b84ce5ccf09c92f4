// What the browser suites share: one headless Chromium for every row a suite runs, driven by playwright-core (a start
// costs some three core-seconds, a page a tenth of that; each page opens in a context of its own, as a start of its own
// would show it), kiss2bmp, scratch folders, and pictures read back by Chromium's own decoder.
import { after } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";

export const source = new URL("../../../", import.meta.url).pathname;
export const dolls = join(source, "../shared/dolls");
export const pip = join(source, "samples/pip/pip.cnf");
// The reason a browser suite skips, or false.
export const noBrowser = !existsSync("/usr/bin/chromium") && "no /usr/bin/chromium (the test command installs it)";
const { chromium } = noBrowser ? {} : await import("playwright-core"); // ctest installs it first
let browser, decoder;
const folders = [];
after(async () => {
  await browser?.close();
  for (const folder of folders) rmSync(folder, { recursive: true, force: true });
});

// A fresh folder, removed with everything in it once the suite ends.
export const scratch = () => folders[folders.push(mkdtempSync(join(tmpdir(), "kisstest-"))) - 1];

// kiss2bmp (ctest names the build's) run in a folder with each list of arguments in turn, each to end with the status.
export const kiss2bmp = (cwd, runs, status = 0) => {
  for (const args of runs) {
    const r = spawnSync(process.env.KISS2BMP ?? join(source, "build/default/cli/kiss2bmp"), args, { cwd });
    assert.equal(r.status, status, `kiss2bmp ${args.join(" ")}: ${r.stderr}`);
  }
};

// Headless, it hides scrollbars and fetches no updates by itself; a page's pixels are the window's.
const launched = async () => (browser ??= await chromium.launch({ executablePath: "/usr/bin/chromium" }));

// What read gives of the page at url in a window of that size, once loaded or once `budget` ms of virtual time have run
// from its navigation; init runs in the page before the page's own script, listen is given the page before it loads.
const open = async (url, { width = 800, height = 600, budget = 0, init, listen }, read) => {
  const page = await (await launched()).newPage({ viewport: { width, height } });
  if (init) await page.addInitScript(init);
  listen?.(page);
  if (budget > 0) {
    const devtools = await page.context().newCDPSession(page);
    await devtools.send("Emulation.setVirtualTimePolicy", { policy: "pause" }); // until the page is there
    await page.goto(url, { waitUntil: "commit" });
    const expired = new Promise((done) => devtools.once("Emulation.virtualTimeBudgetExpired", done));
    await devtools.send("Emulation.setVirtualTimePolicy", { policy: "pauseIfNetworkFetchesPending", budget });
    await expired;
  } else {
    await page.goto(url);
  }
  const answer = await read(page); // a failed read leaves its page to the browser's end
  await page.close();
  return answer;
};

export const dom = (url, budget = 0) =>
  open(url, { budget }, (page) => page.evaluate(() => document.documentElement.outerHTML));
// The errors the console shows while the page at url loads and plays for `budget` ms of virtual time: its script's and
// the browser's (a refused fetch, a picture that does not decode).
export const consoleErrors = (url, budget) => {
  const errors = [];
  const listen = (page) => {
    page.on("console", (message) => message.type() === "error" && errors.push(message.text()));
    page.on("pageerror", (error) => errors.push(String(error)));
  };
  return open(url, { budget, listen }, () => errors);
};
// What a window of that size shows, as a PNG.
export const screenshot = (url, width, height, budget) =>
  open(url, { width, height, budget }, (page) => page.screenshot());

// How a page answers presses at the play area's pixel (x, y), `times` of them some frames apart once it has loaded (a
// press before its first frame may never reach it): the ms from each press's input event to the next frame, and from
// the navigation to the end of the page's script. The window is as wide as the play area and its padding, which puts
// the area at 16, 52.
export const answers = (url, width, [x, y], times) =>
  open(url, { width: width + 32, init: watch }, async (page) => {
    for (let i = 0; i < times; ++i) {
      await page.waitForTimeout(40 + 30 * i);
      await page.mouse.click(16 + x + 0.5, 52 + y + 0.5);
    }
    return page.evaluate(() => new Promise((done) => // once the last press's frame has come
      requestAnimationFrame(() => requestAnimationFrame(() => done([window.answered, window.opened])))));
  });
const watch = () => {
  window.answered = [];
  const answer = (e) => requestAnimationFrame(() => window.answered.push(performance.now() - e.timeStamp));
  addEventListener("pointerdown", (e) => e.isTrusted && answer(e), true);
  addEventListener("DOMContentLoaded", () => (window.opened = performance.now()));
};

// A PNG (a file's name or its bytes) as Chromium decodes it: its size and a pixel's red, green, blue and alpha (all 0
// outside the picture).
export const picture = async (png) => {
  decoder ??= await (await launched()).newPage();
  const base64 = (typeof png === "string" ? readFileSync(png) : png).toString("base64");
  const { width, height, rgba } = await decoder.evaluate(async (base64) => {
    const image = new Image();
    image.src = "data:image/png;base64," + base64;
    await image.decode();
    const canvas = new OffscreenCanvas(image.width, image.height), context = canvas.getContext("2d");
    context.drawImage(image, 0, 0);
    const data = context.getImageData(0, 0, image.width, image.height).data;
    let text = ""; // in pieces: a call takes only so many arguments
    for (let at = 0; at < data.length; at += 8192) text += String.fromCharCode(...data.subarray(at, at + 8192));
    return { width: image.width, height: image.height, rgba: btoa(text) };
  }, base64);
  const bytes = Buffer.from(rgba, "base64");
  const pixel = (x, y, at = 4 * (y * width + x)) =>
    x >= 0 && y >= 0 && x < width && y < height ? [...bytes.subarray(at, at + 4)] : [0, 0, 0, 0];
  return { width, height, pixel };
};
