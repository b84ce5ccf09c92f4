// Every browser suite's rows in Firefox ESR, in one process and so one browser (ctest sets KISS_BROWSER=firefox), but
// for those that need Chromium's virtual time.
import { after } from "node:test";
import { finish } from "./browser.mjs";
import "./sets.mjs";
import "./input.mjs";
import "./fkiss.mjs";
import "./texts-and-gallery.mjs";
import "./every-doll.mjs";

after(finish); // once every suite has registered its rows
