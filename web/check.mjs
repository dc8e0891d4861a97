// The headless check of the page: Debian's chromium, driven over the DevTools
// protocol, renders frames in the page's frame mode, and each is compared
// with the native capture of the same time, rate and size (RGB PSNR through
// ffmpeg). It also times the first frame of the show after the click, checks
// that a page whose data is missing says so, and with --rates plays the
// whole show and prints the frame rate it reached in each part.
//   node web/check.mjs SITE NATIVE_BUILD [--rates] [--keep]
// (WebSocket is node's own where it has one, else Debian's node-ws.)
import { createRequire } from "node:module";
import { spawn, spawnSync, execFileSync } from "node:child_process";
import { createServer } from "node:http";
import { mkdtempSync, readFileSync, writeFileSync, existsSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, extname } from "node:path";

const WebSocket = globalThis.WebSocket || createRequire(import.meta.url)("/usr/share/nodejs/ws");
const [site, nativeBuild] = process.argv.slice(2);
const rates = process.argv.includes("--rates");
// --keep leaves the frames (frame_MS.png native, browser_MS.png) for a look.
const keep = process.argv.includes("--keep");
if (!site || !nativeBuild || !existsSync(join(site, "index.html"))) {
  console.error("usage: node web/check.mjs SITE NATIVE_BUILD [--rates]");
  process.exit(2);
}
// One time in each part (parts 1, 2, 10, 3, 4, 5, 7, 9 and the finale, as
// vavurava-capture --timeline --fps 10 gives them), at 10 frames a second
// and 320x240: small and quick.
const times = (process.env.CHECK_TIMES || "3000,12000,24500,32000,52000,68000,84000,98000,112000").split(",").map(Number);
const fps = 10, size = "320x240", minimumPsnr = 30, firstFrameLimitMs = 5000;
const scratch = mkdtempSync(join(tmpdir(), "vavurava-web-check-"));
let failures = 0, passes = 0;

function verdict(ok, text) {
  console.log(`${ok ? "ok  " : "FAIL"} ${text}`);
  if (ok) passes++; else failures++;
}

// The site as a static host serves it; anything under /missing-data/ is
// the same page with its data file gone.
function serve() {
  const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm" };
  const server = createServer((request, response) => {
    let path = decodeURIComponent(new URL(request.url, "http://x").pathname);
    const broken = path.startsWith("/missing-data/");
    if (broken) path = path.slice("/missing-data".length);
    if (path.endsWith("/")) path += "index.html";
    const file = join(site, path);
    if (path.includes("..") || !existsSync(file) || (broken && path.endsWith(".data"))) {
      response.writeHead(404).end("not found");
      return;
    }
    response.writeHead(200, { "Content-Type": types[extname(file)] || "application/octet-stream" });
    response.end(readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

function startChromium() {
  const browser = spawn("chromium", [
    "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
    "--disable-background-networking", "--disable-component-update", "--disable-sync", "--no-first-run",
    "--autoplay-policy=user-gesture-required", "--window-size=800,600", "--remote-debugging-port=0",
    `--user-data-dir=${join(scratch, "profile")}`, "about:blank"], { stdio: ["ignore", "ignore", "pipe"] });
  return new Promise((resolve, reject) => {
    let said = "";
    const timer = setTimeout(() => reject(new Error("chromium did not start: " + said)), 30000);
    browser.stderr.on("data", (chunk) => {
      said += chunk;
      const match = /DevTools listening on (ws:\/\/\S+)/.exec(said);
      if (match) { clearTimeout(timer); resolve({ browser, endpoint: match[1] }); }
    });
  });
}

// A small DevTools client over one page's socket.
async function openPage(endpoint) {
  const port = new URL(endpoint).port;
  const target = await (await fetch(`http://127.0.0.1:${port}/json/new?about:blank`, { method: "PUT" })).json();
  const socket = new WebSocket(target.webSocketDebuggerUrl);
  await new Promise((resolve, reject) => { socket.onopen = resolve; socket.onerror = reject; });
  let next = 0;
  const waiting = new Map();
  socket.onmessage = (message) => {
    const reply = JSON.parse(message.data);
    if (reply.id && waiting.has(reply.id)) {
      const { resolve, reject } = waiting.get(reply.id);
      waiting.delete(reply.id);
      if (reply.error) reject(new Error(reply.error.message)); else resolve(reply.result);
    }
  };
  const send = (method, params = {}) => new Promise((resolve, reject) => {
    const id = ++next;
    waiting.set(id, { resolve, reject });
    socket.send(JSON.stringify({ id, method, params }));
  });
  const evaluate = async (expression) =>
    (await send("Runtime.evaluate", { expression, returnByValue: true })).result.value;
  const close = async () => {
    socket.close();
    await fetch(`http://127.0.0.1:${port}/json/close/${target.id}`);
  };
  return { send, evaluate, close };
}

async function waitFor(page, expression, limitMs) {
  const start = Date.now();
  for (;;) {
    const value = await page.evaluate(expression);
    if (value) return value;
    if (Date.now() - start > limitMs) return null;
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

// RGB PSNR of two pictures of the same size, in dB (99 when they are equal).
function ffmpegPsnr(a, b) {
  const run = spawnSync("ffmpeg", ["-hide_banner", "-i", a, "-i", b, "-lavfi",
    "[0]format=gbrp[a];[1]format=gbrp[b];[a][b]psnr", "-f", "null", "-"], { encoding: "utf8" });
  const match = /PSNR r:\S+ g:\S+ b:\S+ average:(\S+)/.exec(run.stderr || "");
  if (!match) return 0;
  return match[1] === "inf" ? 99 : Number(match[1]);
}

async function main() {
  const server = await serve();
  const base = `http://127.0.0.1:${server.address().port}`;
  const { browser, endpoint } = await startChromium();
  try {
    // The native frames, from one run of the capture tool.
    execFileSync("./vavurava-capture", ["--frames", times.join(","), "--fps", String(fps), "--size", size,
      "-o", scratch], { cwd: nativeBuild, stdio: "inherit" });
    const [width, height] = size.split("x").map(Number);
    for (const ms of times) {
      const page = await openPage(endpoint);
      const started = Date.now();
      await page.send("Page.navigate", { url: `${base}/index.html?frame=${ms}&fps=${fps}&size=${size}` });
      const title = await waitFor(page, "document.title === 'ready' || document.title === 'failed' ? document.title : ''", 240000);
      const seconds = ((Date.now() - started) / 1000).toFixed(1);
      if (title !== "ready") {
        verdict(false, `frame ${ms} ms: the page said ${title || "nothing"} in ${seconds} s`);
        await page.close();
        continue;
      }
      const shot = await page.send("Page.captureScreenshot",
        { format: "png", clip: { x: 0, y: 0, width, height, scale: 1 } });
      const browserFrame = join(scratch, `browser_${ms}.png`);
      writeFileSync(browserFrame, Buffer.from(shot.data, "base64"));
      const measured = ffmpegPsnr(join(scratch, `frame_${ms}.png`), browserFrame);
      verdict(measured >= minimumPsnr, `frame ${ms} ms: ${measured.toFixed(1)} dB RGB PSNR against the native capture (${seconds} s)`);
      await page.close();
    }

    // The show: the first frame after the click.
    const page = await openPage(endpoint);
    await page.send("Page.navigate", { url: `${base}/index.html` });
    const loaded = await waitFor(page, "document.getElementById('start').classList.contains('ready')", 60000);
    verdict(!!loaded, "the start screen asks for a click once the data is loaded");
    await page.send("Input.dispatchMouseEvent", { type: "mousePressed", x: 400, y: 300, button: "left", clickCount: 1 });
    await page.send("Input.dispatchMouseEvent", { type: "mouseReleased", x: 400, y: 300, button: "left", clickCount: 1 });
    const firstFrame = await waitFor(page, "window.firstFrameMs", 30000);
    verdict(firstFrame !== null && firstFrame <= firstFrameLimitMs,
      `first frame ${firstFrame === null ? "never came" : Math.round(firstFrame) + " ms"} after the click`);
    // A key ends the show (with --rates, once it has played through: 200 s).
    await new Promise((resolve) => setTimeout(resolve, rates ? 200000 : 2000));
    for (const type of ["keyDown", "keyUp"])
      await page.send("Input.dispatchKeyEvent", { type, key: "q", code: "KeyQ", windowsVirtualKeyCode: 81 });
    const ended = await waitFor(page, "document.getElementById('end').hidden === false", 10000);
    verdict(!!ended, "a key ends the show and the end screen offers another run");
    if (rates) {
      const list = await page.evaluate("JSON.stringify(window.partRates || [])");
      for (const [part, frames, ms] of JSON.parse(list))
        console.log(`part ${part}: ${(frames * 1000 / ms).toFixed(1)} fps over ${(ms / 1000).toFixed(1)} s`);
    }
    const message = await page.evaluate("document.getElementById('message').hidden ? '' : document.getElementById('message').textContent");
    verdict(!message, `no message on the page during the show${message ? ": " + message : ""}`);
    await page.close();

    // Missing data: one message, no hang.
    const broken = await openPage(endpoint);
    await broken.send("Page.navigate", { url: `${base}/missing-data/index.html` });
    const said = await waitFor(broken, "document.getElementById('message').hidden ? '' : document.getElementById('message').textContent", 30000);
    verdict(!!said && /data/.test(said), `missing data: the page says ${JSON.stringify(said)}`);
    await broken.close();
  } finally {
    const exited = new Promise((resolve) => { browser.once("exit", resolve); setTimeout(resolve, 5000); });
    browser.kill();
    await exited;
    server.close();
    if (keep) console.log(`frames kept in ${scratch}`);
    else rmSync(scratch, { recursive: true, force: true, maxRetries: 5 });
  }
  console.log(`${passes} passed, ${failures} failed`);
  process.exit(failures ? 1 : 0);
}

main().catch((error) => { console.error(error); process.exit(1); });
