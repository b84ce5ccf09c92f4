// Drags and keys replayed through the page's fragment, read back from the page Chromium leaves, and from the page the
// link to its pose opens: each object's position. The page moves objects whole, loosens fixed ones, keeps them in the
// play area, and its pose links reopen them.
import { test } from "node:test";
import assert from "node:assert/strict";
import { join } from "node:path";
import { dom, kiss2bmp, noBrowser, picture, pip, scratch } from "./browser.mjs";

const page = scratch();
// Set 0 places the body (object 1, in front of everything) at 32,30 and the hair (object 2, fixed 40) at 36,30.
if (!noBrowser) kiss2bmp(page, [["--page", "--format=png", pip, page]]);
const [body, hair] = noBrowser ? [] : [await picture(join(page, "body.png")), await picture(join(page, "hair.png"))];
const opaque = (image, x, y) => image.pixel(x, y)[3] !== 0;
const at = (x, y) => `${x},${y}`;
// Where the opaque pixels of a picture are: left, top, right, bottom (past the last).
const opaqueBox = (image) => {
  const box = [image.width, image.height, 0, 0];
  for (let y = 0; y < image.height; ++y)
    for (let x = 0; x < image.width; ++x)
      if (opaque(image, x, y))
        box.splice(0, 4, Math.min(box[0], x), Math.min(box[1], y), Math.max(box[2], x + 1), Math.max(box[3], y + 1));
  return box;
};

const rows = () => {
  let onBody, onHair; // a pixel of each in the play area that the body does not cover
  for (let y = 0; y < 100; ++y)
    for (let x = 0; x < 96; ++x) {
      onBody ??= opaque(body, x - 32, y - 30) ? [x, y] : undefined;
      onHair ??= opaque(hair, x - 36, y - 30) && !opaque(body, x - 32, y - 30) ? [x, y] : undefined;
    }
  assert.ok(onBody && onHair);
  const onSet1 = at(onBody[0] - 12, onBody[1] - 10), bodyBox = opaqueBox(body), hairBox = opaqueBox(hair);
  // name: fragment, positions of objects 1 and 2 after it
  return {
    Drag: [`drag:${onBody},10,5`, "1@42,35 2@36,30"],
    FortyTriesOnlyLoosen: [`drag:${onHair},10,5,40`, "1@32,30 2@36,30"],
    DragToTheCorner: [`drag:${onHair},-500,-500,41`, `1@32,30 2@${at(-hairBox[0], -hairBox[1])}`],
    DragPastTheEnd: [`drag:${onBody},500,500`, `1@${at(96 - bodyBox[2], 100 - bodyBox[3])} 2@36,30`],
    MoveInAnotherSet: [`set:1;drag:${onSet1},10,5;set:0`, "1@32,30 2@36,30"], // set 1 at 20,20 and 24,20: a move there
    StaysInThatSet: [`set:1;drag:${onSet1},10,5;set:0;set:1`, "1@30,25 2@24,20"], // stays there alone
    Reset: [`drag:${onBody},10,5;reset`, "1@32,30 2@36,30"], // back to the start
    // The keyboard: Tab goes back, body, hair; an arrow moves by 1, with Shift by 10, a fixed object only once its
    // tries have loosened it, as a drag's.
    KeysAndShift: ["key:Tab;key:Tab;key:ArrowLeft;key:ArrowUp,shift", "1@31,20 2@36,30"],
    KeysOnceLoosened: [`drag:${onHair},0,0,39;key:Tab;key:Tab;key:Tab;key:ArrowUp;key:ArrowUp`, "1@32,30 2@36,29"],
  };
};

for (const [name, [fragment, expected]] of Object.entries(noBrowser ? { Drag: [] } : rows())) {
  test(name, { skip: noBrowser }, async () => {
    // As the fragment leaves it, then as the link to its pose opens it.
    const left = await dom(`file://${page}/pip.html#${fragment}`);
    const link = left.match(/id="pose" href="(#[^"]*)"/);
    assert.ok(link, fragment);
    for (const shown of [left, await dom(`file://${page}/pip.html${link[1]}`)]) {
      const places = /<canvas [^>]*data-object="([12])" style="left: (-?\d+)px; top: (-?\d+)px;">/g;
      const positions = [...shown.matchAll(places)].map(([, object, x, y]) => `${object}@${x},${y}`);
      assert.deepEqual([...new Set(positions)].sort(), expected.split(" ").sort(), `${fragment} ${link[1]}`);
    }
  });
}
