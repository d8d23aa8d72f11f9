-- Halcyra.lv2 in Ardour 7, headless: a mono and a stereo track, parameters set,
-- export, save, reopen with the values restored, factory presets listed, and one
-- of them loaded through Ardour's own preset loading.
local dir = os.getenv("HALCYRA_SESSION_DIR")
local wanted = { [2] = 0.4, [1] = 35.0, [10] = 2.0, [11] = -3.0 }  -- Size, Mix, Events, Output
local failures = 0
local function check(ok, what) print((ok and "ok   " or "FAIL ") .. what); if not ok then failures = failures + 1 end end

AudioEngine:set_backend("None (Dummy)", "", "")
local s = create_session(dir, "halcyra", 48000)
assert(s, "cannot create the session")

local uris = { Stereo = "https://tavimoro.com/halcyra/lv2/stereo", Mono = "https://tavimoro.com/halcyra/lv2/mono" }
for name, uri in pairs(uris) do
  local channels = name == "Mono" and 1 or 2
  local tracks = s:new_audio_track(channels, 2, nil, 1, name, ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
  local track = tracks:front()
  local proc = ARDOUR.LuaAPI.new_plugin(s, uri, ARDOUR.PluginType.LV2, "")
  check(not proc:isnil(), name .. ": plug-in instantiated")
  check(track:add_processor_by_index(proc, 0, nil, true) == 0, name .. ": plug-in added to a " .. channels .. "-channel track")
  for index, value in pairs(wanted) do ARDOUR.LuaAPI.set_processor_param(proc, index, value) end
  local presets = proc:to_insert():plugin(0):get_info():get_presets(false)
  local n = 0
  for _ in presets:iter() do n = n + 1 end
  check(n == 8, name .. ": " .. n .. " factory presets listed")
end

-- Two seconds of session to export (the tracks have no regions: the export runs the
-- plug-ins over silence and the tail of nothing, which must stay finite and quiet).
local export = s:simple_export()
export:set_range(0, 2 * 48000)
export:set_name("halcyra-export")
export:set_folder(dir .. "/export")
check(export:set_preset("75969a1c-3133-4694-864b-a1fa50e43348"), "export preset (WAV) found")
check(export:run_export(), "session exported")
s:save_state("", false, false, false, false, false)
close_session()

s = load_session(dir, "halcyra")
assert(s, "cannot reopen the session")
for name, _ in pairs(uris) do
  local route = s:route_by_name(name)
  local proc = route:nth_plugin(0)
  check(not proc:isnil(), name .. ": plug-in back after reopening")
  for index, value in pairs(wanted) do
    local got = ARDOUR.LuaAPI.get_processor_param(proc, index, true)
    check(math.abs(got - value) < 1e-4, string.format("%s: parameter %d restored (%g, wanted %g)", name, index, got, value))
  end
end

-- "Storm" from the preset menu: Preset 4, Size 0.784946; Mix stays.
local proc = s:route_by_name("Stereo"):nth_plugin(0)
local plugin = proc:to_insert():plugin(0)
local storm = nil
for record in plugin:get_info():get_presets(false):iter() do
  if record.label == "Storm" then storm = record end
end
check(storm ~= nil and plugin:load_preset(storm), "Stereo: factory preset \"Storm\" loaded")
for index, value in pairs({ [7] = 4.0, [2] = 0.784946, [1] = 35.0 }) do
  local got = ARDOUR.LuaAPI.get_processor_param(proc, index, true)
  check(math.abs(got - value) < 1e-4, string.format("Stereo: after the preset, parameter %d is %g (wanted %g)", index, got, value))
end
close_session()
print(failures == 0 and "ardour check: all passed" or ("ardour check: " .. failures .. " failed"))
quit()
