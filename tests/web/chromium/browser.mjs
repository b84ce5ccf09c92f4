// What the browser suites share: one headless browser for every row (a start costs some three core-seconds, a page a
// tenth of that; each page in a context of its own), kiss2bmp, scratch folders, pictures read back by its decoder. It is
// Chromium (playwright-core), or with KISS_BROWSER=firefox Firefox ESR (puppeteer-core), its budgets real time (250 ms).
import { after } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";

export const source = new URL("../../../", import.meta.url).pathname;
export const dolls = join(source, "../shared/dolls");
export const pip = join(source, "samples/pip/pip.cnf");
export const firefox = process.env.KISS_BROWSER === "firefox";
const executable = firefox ? "/usr/bin/firefox-esr" : "/usr/bin/chromium";
// The reason a browser suite skips, or false.
export const noBrowser = !existsSync(executable) && `no ${executable} (the test command installs it)`;
export const noVirtualTime = firefox && "no virtual time in Firefox (it is Chromium's protocol)";
const driver = noBrowser ? null : firefox ? (await import("puppeteer-core")).default : (await import("playwright-core")).chromium;
let browser, launching, decoder;
const folders = [];
let pages = 0; // open: the end waits for the last to close (firefox.mjs's hook may run before the last row ends)
export const finish = async () => {
  while (pages > 0) await sleep(100);
  await browser?.close();
  for (const folder of folders) rmSync(folder, { recursive: true, force: true });
};
if (!firefox) after(finish);

// A fresh folder, removed with everything in it once the suite ends.
export const scratch = () => folders[folders.push(mkdtempSync(join(tmpdir(), "kisstest-"))) - 1];

// kiss2bmp (ctest names the build's) run in a folder with each list of arguments in turn, each to end with the status.
export const kiss2bmp = (cwd, runs, status = 0) => {
  for (const args of runs) {
    const r = spawnSync(process.env.KISS2BMP ?? join(source, "build/default/cli/kiss2bmp"), args, { cwd });
    assert.equal(r.status, status, `kiss2bmp ${args.join(" ")}: ${r.stderr}`);
  }
};

// Headless, it hides scrollbars (Firefox's laid over the page) and fetches no updates: a page's pixels are the window's.
const launched = () => (launching ??= driver.launch({ executablePath: executable, ...(firefox &&
  { browser: "firefox", headless: true, extraPrefsFirefox: { "ui.useOverlayScrollbars": 1 } }) }).then((b) => (browser = b)));
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// What read gives of the page at url in a window of that size, once loaded or once `budget` ms of virtual time have run
// from its navigation; init runs in the page before the page's own script, listen is given the page before it loads.
const open = async (url, { width = 800, height = 600, budget = 0, init, listen }, read) => {
  ++pages;
  const started = await launched(), viewport = { width, height };
  const context = await (firefox ? started.createBrowserContext() : started.newContext({ viewport }));
  const page = await context.newPage();
  if (firefox) await page.setViewport(viewport);
  if (init) await (firefox ? page.evaluateOnNewDocument(init) : page.addInitScript(init));
  listen?.(page);
  if (budget > 0 && !firefox) {
    const devtools = await page.context().newCDPSession(page);
    await devtools.send("Emulation.setVirtualTimePolicy", { policy: "pause" }); // until the page is there
    await page.goto(url, { waitUntil: "commit" });
    const expired = new Promise((done) => devtools.once("Emulation.virtualTimeBudgetExpired", done));
    await devtools.send("Emulation.setVirtualTimePolicy", { policy: "pauseIfNetworkFetchesPending", budget });
    await expired;
  } else { // once a page shows its doll (a gallery has none)
    await page.goto(url);
    await page.waitForFunction(() => !document.getElementById("stage") || performance.getEntriesByName("kiss-ready")[0]);
    await sleep(Math.min(budget, 250));
  }
  const answer = await Promise.resolve(read(page)).finally(() => --pages); // a failed read leaves its page to the end
  await context.close();
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
// the navigation to the doll shown. The window is as wide as the play area and its padding, which puts
// the area at 16, 52.
export const answers = (url, width, [x, y], times) =>
  open(url, { width: width + 32, init: watch }, async (page) => {
    for (let i = 0; i < times; ++i) {
      await sleep(40 + 30 * i);
      await page.mouse.click(16 + x + 0.5, 52 + y + 0.5);
    }
    return page.evaluate(() => new Promise((done) => // once the last press's frame has come
      requestAnimationFrame(() => requestAnimationFrame(() =>
        done([window.answered, performance.getEntriesByName("kiss-ready")[0].startTime])))));
  });
const watch = () => {
  window.answered = [];
  const answer = (e) => requestAnimationFrame(() => window.answered.push(performance.now() - e.timeStamp));
  addEventListener("pointerdown", (e) => e.isTrusted && answer(e), true);
};

// What Save picture gives on the page at url in a window of that size, S typed: the file's name and bytes.
export const saved = (url, width, height) =>
  open(url, { width, height, init: keep }, async (page) => {
    await page.keyboard.press("s");
    await page.waitForFunction(() => window.saved?.name);
    return page.evaluate(async () => [saved.name, [...new Uint8Array(await saved.png.arrayBuffer())]]);
  });
const keep = () => { // the file kept instead of downloaded
  URL.createObjectURL = (png) => ((window.saved = { png }), "#");
  HTMLAnchorElement.prototype.click = function () { window.saved.name = this.download; };
};

// A PNG (a file's name or its bytes) as the browser decodes it: its size and a pixel's red, green, blue and alpha (all 0
// outside the picture).
export const picture = async (png) => {
  decoder ??= await (await launched()).newPage();
  const base64 = Buffer.from(typeof png === "string" ? readFileSync(png) : png).toString("base64");
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
