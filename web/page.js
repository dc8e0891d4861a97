// The page around the show: loads the program and its data with a progress
// bar, starts the show on the click or key that lets the browser play sound,
// keeps the picture 4:3 in the window, offers fullscreen and, at the end,
// another run. index.html?frame=MS&fps=N[&size=WxH] shows one frame of the
// show on its virtual clock, alone on the page, then sets the title "ready".
"use strict";

const query = new URLSearchParams(location.search);
const frameMode = query.has("frame");
const stage = document.getElementById("stage");
const startScreen = document.getElementById("start");
const endScreen = document.getElementById("end");
const progress = document.getElementById("progress");
const statusLine = document.getElementById("status");
const fullscreenButton = document.getElementById("fullscreen");
const messageLine = document.getElementById("message");
let canvas = document.getElementById("canvas");
let dataPackage = null;  // the data, kept for another run
let show = null;
let state = "loading";   // loading, ready, starting, playing, ended, failed
let clickedAt = 0;
const showMessage = /^(images|audio|video|geometry|random|vavurava-rive): |^can't open /;

// Everything the show or the page has to say, in one box.
function tell(text) {
  messageLine.textContent = messageLine.hidden ? text : messageLine.textContent + "\n" + text;
  messageLine.hidden = false;
}

function fail(text) {
  if (state === "failed") return;
  state = "failed";
  tell(text);
  statusLine.textContent = "";
  if (frameMode) document.title = "failed";
}

// "WxH" of 4:3 from the query, or null.
function sizeFromQuery() {
  const match = /^(\d+)x(\d+)$/.exec(query.get("size") || "");
  return match ? [Number(match[1]), Number(match[2])] : null;
}

// The largest 4:3 rectangle inside width x height.
function letterbox(width, height) {
  return width * 3 > height * 4 ? [Math.floor(height * 4 / 3), height] : [width, Math.floor(width * 3 / 4)];
}

// The size the show draws at: the picture's size on this screen in device
// pixels, from 640x480 to 1600x1200, in steps of 4 by 3.
function renderSize() {
  const given = sizeFromQuery();
  if (given) return given;
  const ratio = window.devicePixelRatio || 1;
  const [width] = letterbox(innerWidth * ratio, innerHeight * ratio);
  const steps = Math.min(400, Math.max(160, Math.round(width / 4)));
  return [steps * 4, steps * 3];
}

function placeCanvas() {
  if (frameMode) return;
  const [width, height] = letterbox(stage.clientWidth, stage.clientHeight);
  canvas.style.width = width + "px";
  canvas.style.height = height + "px";
  canvas.style.left = Math.floor((stage.clientWidth - width) / 2) + "px";
  canvas.style.top = Math.floor((stage.clientHeight - height) / 2) + "px";
}

function onShowEvent(event, detail) {
  if (event === "ready") {
    document.title = "ready";
  } else if (event === "started") {
    state = "playing";
  } else if (event === "first-frame") {
    // How long the click took to reach the picture (the headless check reads it).
    window.firstFrameMs = performance.now() - clickedAt;
  } else if (event === "ended") {
    state = "ended";
    fullscreenButton.hidden = true;
    if (document.fullscreenElement) document.exitFullscreen();
    endScreen.hidden = false;
    document.getElementById("again").focus();
  } else if (event === "part") {
    // [part, frames, ms] as each part ends (the headless check prints them).
    (window.partRates = window.partRates || []).push(detail.split(" ").map(Number));
  } else if (event === "failed") {
    fail(detail);
  }
}

// One instance of the program; a new run makes a new one on a fresh canvas.
function loadShow() {
  return createShow({
    canvas: canvas,
    print: (text) => console.log(text),
    // The show's own messages name what they are about ("images: …");
    // the runtime's notes go to the console only.
    printErr: (text) => { console.warn(text); if (!frameMode && showMessage.test(text)) tell(text); },
    setStatus: (text) => {
      const match = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text);
      if (match) progress.value = Number(match[1]) / Number(match[2]);
    },
    getPreloadedPackage: () => dataPackage,
    onShowEvent: onShowEvent,
    onAbort: (what) => fail("The show stopped: " + what),
  });
}

function start(event) {
  if (state !== "ready") return;
  if (event) event.preventDefault();
  state = "starting";
  startScreen.hidden = true;
  fullscreenButton.hidden = false;
  canvas.focus();
  const [width, height] = renderSize();
  clickedAt = performance.now();
  show.callMain(["--size", width + "x" + height]);
}

function ready(instance) {
  show = instance;
  state = "ready";
  progress.value = 1;
  if (frameMode) {
    const args = ["--frame", query.get("frame"), "--fps", query.get("fps") || "60"];
    const given = query.get("size");
    if (given) args.push("--size", given);
    const [width, height] = sizeFromQuery() || [800, 600];
    canvas.style.width = width + "px";
    canvas.style.height = height + "px";
    state = "playing";
    show.callMain(args);
    return;
  }
  startScreen.classList.add("ready");
  statusLine.textContent = "click or press a key to start";
}

// Keeps the data the loader fetched, so that another run needs no download.
function keepDataPackage() {
  const open = XMLHttpRequest.prototype.open;
  XMLHttpRequest.prototype.open = function (method, url, ...rest) {
    if (/\.data$/.test(url)) {
      this.addEventListener("load", () => {
        if (this.status === 200 || this.status === 0) dataPackage = this.response;
        else fail("Cannot load the show's data (" + url + "): HTTP " + this.status);
      });
      this.addEventListener("error", () => fail("Cannot load the show's data (" + url + "): network error"));
    }
    return open.call(this, method, url, ...rest);
  };
}

function playAgain() {
  endScreen.hidden = true;
  messageLine.hidden = true;
  const fresh = canvas.cloneNode(false);
  canvas.replaceWith(fresh);
  canvas = fresh;
  placeCanvas();
  state = "loading";
  loadShow().then((instance) => { ready(instance); start(null); }, (error) => fail(String(error)));
}

if (frameMode) document.body.className = "frame";
if (typeof createShow !== "function") {
  fail("Cannot load the show's program (vavurava-rive.js)");
} else {
  keepDataPackage();
  window.addEventListener("error", (event) => fail(event.message || "The show could not load"));
  window.addEventListener("unhandledrejection", (event) => fail(String(event.reason)));
  window.addEventListener("resize", placeCanvas);
  document.addEventListener("fullscreenchange", placeCanvas);
  startScreen.addEventListener("click", start);
  window.addEventListener("keydown", (event) => { if (!event.altKey) start(event); });
  fullscreenButton.addEventListener("click", () => {
    if (document.fullscreenElement) document.exitFullscreen();
    else stage.requestFullscreen().catch((error) => tell("Fullscreen: " + error.message));
    canvas.focus();
  });
  document.getElementById("again").addEventListener("click", playAgain);
  placeCanvas();
  loadShow().then(ready, (error) => fail(String(error)));
}
