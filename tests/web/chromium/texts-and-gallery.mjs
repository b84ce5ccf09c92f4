// What the page shows beside the doll: the author's texts, and with several dolls the gallery.
import { test } from "node:test";
import assert from "node:assert/strict";
import { cpSync, existsSync, mkdirSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { dom, kiss2bmp, noBrowser, picture, pip, scratch } from "./browser.mjs";

const sample = join(pip, "..");

// The author's texts beside the doll, each as text under its name, by name: Shift-JIS and UTF-8 decoded, a stray byte
// one U+FFFD, a long one cut where a character begins (in UTF-8 and in Shift-JIS); a binary document, an earlier run's
// report and a subfolder's text (the folder may be the user's) left out. The page opens on set 5, which has no "$"
// line and so no button.
test("about this doll shows the author's texts as text", { skip: noBrowser }, async () => {
  const doll = scratch();
  cpSync(sample, doll, { recursive: true });
  mkdirSync(join(doll, "sub"));
  // Cut at 64 KiB inside a character of two bytes, and of three.
  const long2 = Buffer.from("a" + "é".repeat(40000)), long3 = Buffer.from("ab" + "表".repeat(30000));
  const files = { "readme.txt": Buffer.from("\x95\x5C</pre><b>&amp;", "latin1"), "notes.DOC": "café",
    "more.txt": Buffer.from("\x83\x73\r\n\xFF ok \x83\x73\r", "latin1"), "long.txt": long2, "long3.txt": long3,
    "longsjis.txt": Buffer.from("a" + "\x83\x73".repeat(40000), "latin1"), "sub/private.txt": "not the doll's",
    "word.doc": Buffer.from("\xD0\xCF\x11\xE0\0\0", "latin1"), "pip.cel": "no text" };
  for (const [name, bytes] of Object.entries(files)) writeFileSync(join(doll, name), bytes);
  const run = (set) => ["--set", set, "--page", join(doll, "pip.cnf"), doll];
  kiss2bmp(doll, [run("0"), run("5")]); // the second reads the first's report
  const shown = await dom(`file://${doll}/pip.html`);
  const texts = [...shown.matchAll(/<h2>([^<]*)<\/h2><pre>([^<]*)<\/pre>/g)].map(([, name, t]) => `${name}: ${t}`);
  assert.deepEqual(texts, [`long.txt: ${long2.subarray(0, 65535)}`, `long3.txt: ${long3.subarray(0, 65534)}`,
    `longsjis.txt: a${"ピ".repeat(32767)}`, "more.txt: ピ\n\uFFFD ok ピ\n", "notes.DOC: café",
    "readme.txt: 表&lt;/pre&gt;&lt;b&gt;&amp;amp;"]);
  assert.equal(shown.match(/<button type="button" value/g)?.length, 3);
});

// Several dolls with --page: the gallery links each converted doll's page by its folder and shows its start picture,
// made to fit in 160 pixels (the big doll's 400 x 300 area at a third), with its name; then the doll that failed, why.
test("the gallery links each doll's page with its start picture", { skip: noBrowser }, async () => {
  const dir = scratch();
  cpSync(sample, join(dir, "big"), { recursive: true });
  writeFileSync(join(dir, "big/pip.cnf"), readFileSync(pip, "latin1").replace("(96,100)", "(400,300)"), "latin1");
  const out = join(dir, "out");
  kiss2bmp(dir, [["--page", "-q", pip, "none.cnf", join(dir, "big/pip.cnf"), "-o", out]], 1);
  const item = /<a href="([^"]+)"><img src="data:image\/png;base64,([^"]+)" alt="([^"]+)"><span>\3<\/span>/g;
  const shown = [];
  for (const [, link, png, name] of (await dom(`file://${out}/index.html`)).matchAll(item)) {
    const { width, height } = await picture(Buffer.from(png, "base64"));
    shown.push(`${name} ${link} ${width}x${height}` + (existsSync(join(out, link)) ? "" : " (missing)"));
  }
  assert.deepEqual(shown, ["pip pip/pip.html 96x100", "pip-2 pip-2/pip.html 134x100"]);
  const failed = (await dom(`file://${out}/index.html`)).match(/<h2>Not converted<\/h2>\s*<ul class="failed">(.*?)<\/ul>/s);
  assert.equal(failed?.[1].trim(), "<li><b>none.cnf</b>: cannot open 'none.cnf': no such file</li>");
});
