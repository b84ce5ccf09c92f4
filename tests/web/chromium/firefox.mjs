// Every browser suite's rows in Firefox ESR (KISS_BROWSER=firefox) in one process and one browser, closed once all ran.
import { after } from "node:test";
import { finish } from "./browser.mjs";
import "./sets.mjs";
import "./input.mjs";
import "./fkiss.mjs";
import "./texts-and-gallery.mjs";
import "./every-doll.mjs";
after(finish); // once every suite has registered its rows
