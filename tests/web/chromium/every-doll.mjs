// Every configuration of every shared doll and test archive, as a viewer opens it: kiss2bmp makes its page from the
// archive, and the page loads and plays a second with nothing on the console; a batch over all the archives puts each
// configuration on one gallery.
import { test } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { existsSync, readdirSync, readFileSync } from "node:fs";
import { join } from "node:path";
import { consoleErrors, dolls, kiss2bmp, noBrowser, scratch, source } from "./browser.mjs";

const shelves = [dolls, join(dolls, "../kiss-tests")];
const archives = shelves.filter(existsSync).flatMap((shelf) =>
  readdirSync(shelf).filter((name) => /\.(lzh|zip)$/i.test(name)).sort().map((name) => join(shelf, name)));
const missing = !archives.length && `no archives in ${shelves.join(" or ")}`;
const program = process.env.KISS2BMP ?? join(source, "build/default/cli/kiss2bmp");

// The configurations of an archive, as kiss2bmp lists them when it holds several; [""] for one.
const configurations = (archive) => {
  const r = spawnSync(program, ["--check", archive], { encoding: "latin1" });
  const listed = r.stderr.match(/holds several configurations; choose one with --cnf: (.*)/);
  return listed ? listed[1].trim().split(" ") : [""];
};
const rows = archives.flatMap((archive) => configurations(archive).map((cnf) => [archive, cnf]));
const out = scratch();

for (const [archive, cnf] of noBrowser || missing ? [["", ""]] : rows) {
  const name = `${archive.split("/").pop()}${cnf && ` ${cnf}`}`;
  test(name, { skip: noBrowser || missing }, async () => {
    const folder = join(out, name.replace(/[ .]/g, "_"));
    kiss2bmp(out, [["--page", "-q", ...(cnf ? ["--cnf", cnf] : []), archive, folder]]);
    const page = readdirSync(folder).filter((file) => file.endsWith(".html"));
    assert.equal(page.length, 1, `${folder} holds ${page}`);
    assert.deepEqual(await consoleErrors(`file://${join(folder, page[0])}`, 1000), []);
  });
}

// The batch: one card on the gallery for each configuration, each linking a page that is there.
test("the batch over every archive makes one gallery of every configuration", { skip: noBrowser || missing }, () => {
  const gallery = join(scratch(), "gallery");
  kiss2bmp(out, [["--page", "-q", "-j", "2", ...archives, "-o", gallery]]);
  const links = [...readFileSync(join(gallery, "index.html"), "utf8").matchAll(/<a href="([^"]+)"><img /g)];
  assert.deepEqual(links.map(([, link]) => existsSync(join(gallery, link))), rows.map(() => true));
});
